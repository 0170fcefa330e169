#include "files/ProfileFile.h"

#include "files/CodePage.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

namespace {

// The file's text is in the 8-bit code page; one byte is one character.
QString decode8(const char* data, qsizetype size) {
    return CodePage::decode(QByteArrayView(data, size));
}
QByteArray encode8(const QString& text) {
    return CodePage::encode(text);
}

const QByteArray kCrLf("\r\n");

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The whole file as bytes: memory-mapped where possible, so that a huge
// file costs address space rather than memory.
class FileBytes {
public:
    enum State { Missing, Unreadable, Ok };

    explicit FileBytes(const QString& path) : m_file(path) {
        const QFileInfo info(path);
        if (!info.exists()) {
            m_state = Missing;
            return;
        }
        if (!info.isFile() || !m_file.open(QIODevice::ReadOnly)) {
            m_state = Unreadable;
            return;
        }
        const qint64 size = m_file.size();
        if (size > 0) {
            m_map = m_file.map(0, size);
            if (m_map) {
                m_data = reinterpret_cast<const char*>(m_map);
                m_size = size;
            } else {
                m_copy = m_file.readAll();
                m_data = m_copy.constData();
                m_size = m_copy.size();
            }
        }
        m_state = Ok;
    }
    ~FileBytes() {
        if (m_map)
            m_file.unmap(m_map);
    }
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    State state() const { return m_state; }
    const char* data() const { return m_data ? m_data : ""; }
    qint64 size() const { return m_size; }

private:
    QFile m_file;
    State m_state = Missing;
    uchar* m_map = nullptr;
    QByteArray m_copy;
    const char* m_data = nullptr;
    qint64 m_size = 0;
};

// Where a key lives in the file, as byte offsets.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    qint64 valueBegin = 0, valueEnd = 0; // the value's bytes, line end excluded
    qint64 insertAt = 0;                 // just after the section's last non-blank line
    bool insertNeedsEol = false;         // that line is the file's last and has no line end
};

struct Line {
    qint64 begin, end, next; // content [begin, end), next line starts at next
    bool hasEol;
};

class Scanner {
public:
    Scanner(const char* data, qint64 size) : m_data(data), m_size(size) {
        // An editor that saved the file as UTF-8 may have put a byte-order
        // mark before the first section; it is kept but not part of the line.
        if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0)
            m_pos = 3;
    }

    bool nextLine(Line& line) {
        if (m_pos >= m_size)
            return false;
        line.begin = m_pos;
        const void* nl = std::memchr(m_data + m_pos, '\n', size_t(m_size - m_pos));
        if (nl) {
            line.end = static_cast<const char*>(nl) - m_data;
            line.next = line.end + 1;
            line.hasEol = true;
        } else {
            line.end = m_size;
            line.next = m_size;
            line.hasEol = false;
        }
        if (line.end > line.begin && m_data[line.end - 1] == '\r')
            --line.end;
        m_pos = line.next;
        return true;
    }

private:
    const char* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
};

// Trims blanks from both ends of [b, e).
void trim(const char* d, qint64& b, qint64& e) {
    while (b < e && isBlank(d[b]))
        ++b;
    while (e > b && isBlank(d[e - 1]))
        --e;
}

bool sameName(const char* d, qint64 b, qint64 e, const QString& wanted) {
    // Names differing in byte length cannot match in an 8-bit code page.
    if (e - b != wanted.size())
        return false;
    return decode8(d + b, e - b).compare(wanted, Qt::CaseInsensitive) == 0;
}

// A section line: optional blanks, "[", the name, "]". A missing "]" takes the
// rest of the line as the name.
bool sectionName(const char* d, const Line& l, qint64& nb, qint64& ne) {
    qint64 b = l.begin;
    while (b < l.end && isBlank(d[b]))
        ++b;
    if (b >= l.end || d[b] != '[')
        return false;
    nb = b + 1;
    const void* close = std::memchr(d + nb, ']', size_t(l.end - nb));
    ne = close ? static_cast<const char*>(close) - d : l.end;
    trim(d, nb, ne);
    return true;
}

// A key line: a non-blank name before the first "="; comments start with ";".
bool keyLine(const char* d, const Line& l, qint64& kb, qint64& ke, qint64& vb) {
    qint64 b = l.begin;
    while (b < l.end && isBlank(d[b]))
        ++b;
    if (b >= l.end || d[b] == ';')
        return false;
    const void* eq = std::memchr(d + b, '=', size_t(l.end - b));
    if (!eq)
        return false;
    kb = b;
    ke = static_cast<const char*>(eq) - d;
    vb = ke + 1;
    trim(d, kb, ke);
    return ke > kb;
}

bool isBlankLine(const char* d, const Line& l) {
    for (qint64 i = l.begin; i < l.end; ++i)
        if (!isBlank(d[i]))
            return false;
    return true;
}

Location locate(const char* d, qint64 size, const QString& section, const QString& key) {
    Location loc;
    Scanner scan(d, size);
    Line line;
    bool inSection = false;
    while (scan.nextLine(line)) {
        qint64 nb, ne;
        if (sectionName(d, line, nb, ne)) {
            if (inSection)
                break; // the first matching section ends here
            if (sameName(d, nb, ne, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.insertAt = line.next;
                loc.insertNeedsEol = !line.hasEol;
            }
            continue;
        }
        if (!inSection)
            continue;
        qint64 kb, ke, vb;
        if (keyLine(d, line, kb, ke, vb) && sameName(d, kb, ke, key)) {
            loc.keyFound = true;
            loc.valueBegin = vb;
            loc.valueEnd = line.end;
            return loc;
        }
        if (!isBlankLine(d, line)) {
            loc.insertAt = line.next;
            loc.insertNeedsEol = !line.hasEol;
        }
    }
    return loc;
}

bool hasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// What completes the unended last line before end: a bare CR there is the
// first half of the line end, not part of the value.
QByteArray lineEndAfter(const char* d, qint64 end) {
    return end > 0 && d[end - 1] == '\r' ? QByteArray("\n") : kCrLf;
}

bool writeAll(QSaveFile& out, const char* d, qint64 n) {
    while (n > 0) {
        const qint64 w = out.write(d, n);
        if (w <= 0)
            return false;
        d += w;
        n -= w;
    }
    return true;
}

} // namespace

QString ProfileFile::readValue(const QString& path, const QString& section, const QString& key) {
    FileBytes file(path);
    if (file.state() != FileBytes::Ok)
        return QString();
    const Location loc = locate(file.data(), file.size(), section.trimmed(), key.trimmed());
    if (!loc.keyFound)
        return QString();
    return decode8(file.data() + loc.valueBegin, loc.valueEnd - loc.valueBegin);
}

FileResult ProfileFile::readable(const QString& path) {
    if (FileBytes(path).state() != FileBytes::Unreadable)
        return FileResult::done();
    return FileResult::readFailed(
        QStringLiteral("Impossibile leggere il file \"%1\": il file esiste ma non si può leggere")
            .arg(QFileInfo(path).fileName()));
}

FileResult ProfileFile::writeValue(const QString& path, const QString& section, const QString& key,
                                   const QString& value) {
    const QString fileName = QFileInfo(path).fileName();
    const auto failed = [&](const QString& why) {
        return FileResult::writeFailed(
            QStringLiteral("Impossibile salvare %1 nel file \"%2\": %3").arg(key, fileName, why));
    };
    const QString keyName = key.trimmed();
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.contains(QLatin1Char(']')) || key.contains(QLatin1Char('=')) || keyName.isEmpty() ||
        keyName.startsWith(QLatin1Char(';')) || keyName.startsWith(QLatin1Char('[')))
        return failed(QStringLiteral("il nome o il valore spezzerebbe le righe del file"));
    // The 8-bit file would hold a '?' instead.
    for (const QString* text : {&section, &key, &value})
        if (const std::optional<CodePage::Misfit> misfit = CodePage::firstMisfit(*text))
            return FileResult::writeFailed(CodePage::misfitMessage(*misfit, fileName));

    FileBytes file(path);
    // Never replace a file whose content we could not keep.
    if (file.state() == FileBytes::Unreadable)
        return failed(QStringLiteral("il file esiste ma non si può leggere"));
    const char* d = file.data();
    const qint64 size = file.size();
    const QString sectionName = section.trimmed();
    const Location loc = locate(d, size, sectionName, keyName);

    const QByteArray newValue = encode8(value);
    qint64 cutBegin, cutEnd;
    QByteArray middle;
    if (loc.keyFound) {
        cutBegin = loc.valueBegin;
        cutEnd = loc.valueEnd;
        if (QByteArray::fromRawData(d + cutBegin, cutEnd - cutBegin) == newValue)
            return FileResult::done(); // already stored
        middle = newValue;
    } else if (loc.sectionFound) {
        cutBegin = cutEnd = loc.insertAt;
        if (loc.insertNeedsEol)
            middle += lineEndAfter(d, cutBegin);
        middle += encode8(keyName) + '=' + newValue + kCrLf;
    } else {
        cutBegin = cutEnd = size;
        if (size > 0 && d[size - 1] != '\n')
            middle += lineEndAfter(d, size);
        middle += '[' + encode8(sectionName) + ']' + kCrLf;
        middle += encode8(keyName) + '=' + newValue + kCrLf;
    }

    QSaveFile out(path);
    const QString unwritable = QStringLiteral("il file o la cartella non si possono scrivere");
    if (!out.open(QIODevice::WriteOnly))
        return failed(unwritable);
    if (!writeAll(out, d, cutBegin) || !writeAll(out, middle.constData(), middle.size()) ||
        !writeAll(out, d + cutEnd, size - cutEnd)) {
        out.cancelWriting();
        return failed(unwritable);
    }
    return out.commit() ? FileResult::done() : failed(unwritable);
}
