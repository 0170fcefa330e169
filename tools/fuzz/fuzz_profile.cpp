// A hand-edited profile file: one value is written into it, then that value
// must read back and every other value and byte must be as before.
//
// Input: section, key and value (each a length byte and that many bytes),
// then the file's bytes.
#include "FuzzSupport.h"

#include "files/CodePage.h"
#include "files/ProfileFile.h"

#include <QCoreApplication>
#include <QList>
#include <QPair>

#include <cstdint>

namespace {

QString take(QByteArrayView& in) {
    if (in.isEmpty())
        return QString();
    const qsizetype n = qMin<qsizetype>(uchar(in.front()) % 24, in.size() - 1);
    const QString s = CodePage::decode(in.sliced(1, n));
    in = in.sliced(1 + n);
    return s;
}

bool writable(const QString& section, const QString& key, const QString& value) {
    for (const QString& s : {section, key, value})
        if (s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r')))
            return false;
    const QString k = key.trimmed();
    return !section.contains(QLatin1Char(']')) && !key.contains(QLatin1Char('=')) && !k.isEmpty() &&
           !k.startsWith(QLatin1Char(';')) && !k.startsWith(QLatin1Char('['));
}

// The (section, key) pairs the file seems to hold, a few of them.
QList<QPair<QString, QString>> namesIn(const QString& text) {
    QList<QPair<QString, QString>> out;
    QString section;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1).section(QLatin1Char(']'), 0, 0);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && out.size() < 16)
            out.append({section, line.left(eq)});
    }
    return out;
}

bool sameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication* app = new QCoreApplication(*argc, *argv);
    Q_UNUSED(app);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString section = take(in);
    const QString key = take(in);
    const QString value = take(in);
    const QByteArray before = in.toByteArray();
    const QString path = fuzz::scratchFile(QStringLiteral("config.ini"));
    fuzz::writeFile(path, before);

    const QList<QPair<QString, QString>> others = namesIn(CodePage::decode(before));
    QStringList othersBefore;
    for (const auto& [s, k] : others)
        othersBefore.append(ProfileFile::readValue(path, s, k));
    const QString oldValue = ProfileFile::readValue(path, section, key);

    const bool stored = ProfileFile::writeValue(path, section, key, value).ok();
    const QByteArray after = fuzz::readFile(path);
    if (!writable(section, key, value)) {
        FUZZ_EXPECT(!stored);
        FUZZ_EXPECT(after == before);
        return 0;
    }
    FUZZ_EXPECT(stored);
    FUZZ_EXPECT(ProfileFile::readValue(path, section, key) == value);

    // Only the old value's bytes were replaced; the rest is kept around it.
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    const qsizetype room = qMin(before.size(), after.size()) - prefix;
    while (suffix < room && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    FUZZ_EXPECT(prefix + suffix >= before.size() - oldValue.size());

    for (qsizetype i = 0; i < others.size(); ++i) {
        if (sameName(others[i].first, section) && sameName(others[i].second, key))
            continue;
        FUZZ_EXPECT(ProfileFile::readValue(path, others[i].first, others[i].second) ==
                    othersBefore[i]);
    }
    return 0;
}
