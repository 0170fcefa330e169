#include "display/DisplayBuffer.h"

#include "files/CharScan.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr QRgb kEmptyColour = 0xFFFFFFFF;
constexpr char16_t kBell = 0x07;
constexpr char16_t kBackspace = 0x08;
} // namespace

DisplayBuffer::DisplayBuffer() {
    m_lines.emplace_back();
}

int DisplayBuffer::rowsFor(qsizetype chars) const {
    if (chars <= 0)
        return 1;
    return int((chars + m_columns - 1) / m_columns);
}

int DisplayBuffer::rowCount() const {
    const Line& last = m_lines.back();
    return int(last.rowStart + rowsFor(last.text.size()) - m_rowOrigin);
}

void DisplayBuffer::appendToLast(QStringView text, QRgb colour, bool bold, const TextStyle& style) {
    if (text.isEmpty())
        return;
    if (text.size() <= kMaxLineLength - m_lines.back().text.size()) {
        appendRun(text, colour, bold, style);
        return;
    }
    // A line without end would grow without bound; past the limit it goes on
    // on the next display line, so the line limit also bounds memory.
    while (!text.isEmpty()) {
        const qsizetype room = kMaxLineLength - m_lines.back().text.size();
        if (room <= 0) {
            newLine();
            continue;
        }
        const QStringView part = room < text.size() ? text.first(room) : text;
        appendRun(part, colour, bold, style);
        text = text.sliced(part.size());
    }
}

void DisplayBuffer::appendRun(QStringView text, QRgb colour, bool bold, const TextStyle& style) {
    Line& line = m_lines.back();
    const int start = int(line.text.size());
    // Grown in place (the room a recycled line brings usually suffices).
    line.text.resize(start + text.size());
    std::memcpy(line.text.data() + start, text.data(), size_t(text.size()) * sizeof(QChar));
    m_length += text.size();
    if (!line.runs.empty()) {
        Run& last = line.runs.back();
        if (last.colour == colour && last.bold == bold && last.flags == style.flags &&
            last.background == style.background) {
            last.length += int(text.size());
            return;
        }
    }
    line.runs.push_back(Run{start, int(text.size()), colour, bold, style.flags, style.background});
}

void DisplayBuffer::newLine() {
    const Line& prev = m_lines.back();
    Line next;
    next.start = prev.start + prev.text.size() + 1;
    next.rowStart = prev.rowStart + rowsFor(prev.text.size());
    if (m_lent < m_head) { // a line gone from the front lends its storage
        Line& dead = m_lines[m_lent++];
        next.text.swap(dead.text);
        next.text.resize(0); // keeps the room it had
        next.runs.swap(dead.runs);
        next.runs.clear();
    }
    m_lines.push_back(std::move(next));
    m_length += 1;
}

void DisplayBuffer::append(QStringView text, QRgb colour, bool bold, const TextStyle& style) {
    qsizetype from = 0;
    const char16_t* const base = text.utf16();
    const char16_t* const end = base + text.size();
    for (const char16_t* at = base; (at = CharScan::findBelow(at, end, u'\r' + 1)) != end; ++at) {
        const char16_t c = *at;
        if (c != u'\r' && c != u'\n' && c != u'\t' && c != kBell && c != kBackspace)
            continue;
        const qsizetype i = at - base;
        appendToLast(text.sliced(from, i - from), colour, bold, style);
        from = i + 1;
        if (c == kBell) {
            ++m_bells;
            continue;
        }
        if (c == kBackspace) {
            eraseLastChar();
            continue;
        }
        if (c == u'\t') {
            // Tab stops every eight columns, so tables keep their columns.
            static const QString spaces(kTabWidth, u' ');
            const qsizetype column = m_lines.back().text.size();
            appendToLast(QStringView(spaces).first(kTabWidth - column % kTabWidth), colour, bold,
                         style);
            continue;
        }
        // Only LF breaks a line. A CR is dropped: CR LF stays one break, and
        // the CR left over from a blank line ("\r", marker, "\n") adds no
        // second blank line.
        if (c == u'\n')
            newLine();
    }
    appendToLast(text.sliced(from), colour, bold, style);
}

void DisplayBuffer::eraseLastChar() {
    Line& line = m_lines.back();
    if (line.text.isEmpty())
        return; // a backspace never joins two lines
    qsizetype n = 1;
    if (line.text.size() > 1 && line.text.back().isLowSurrogate() &&
        line.text[line.text.size() - 2].isHighSurrogate())
        n = 2;
    line.text.chop(n);
    m_length -= n;
    Run& last = line.runs.back();
    last.length -= int(n);
    if (last.length <= 0)
        line.runs.pop_back();
}

int DisplayBuffer::lineFromChar(int pos) const {
    const qint64 abs = m_origin + std::max(pos, 0);
    // The first live line whose start lies after abs, minus one.
    auto it = std::upper_bound(m_lines.begin() + qsizetype(m_head), m_lines.end(), abs,
                               [](qint64 v, const Line& l) { return v < l.start; });
    const auto idx = it - (m_lines.begin() + qsizetype(m_head));
    return int(std::max<qsizetype>(idx - 1, 0));
}

int DisplayBuffer::lineFromRow(int row) const {
    const qint64 abs = m_rowOrigin + std::max(row, 0);
    auto it = std::upper_bound(m_lines.begin() + qsizetype(m_head), m_lines.end(), abs,
                               [](qint64 v, const Line& l) { return v < l.rowStart; });
    const auto idx = it - (m_lines.begin() + qsizetype(m_head));
    return int(std::max<qsizetype>(idx - 1, 0));
}

int DisplayBuffer::lineStart(int line) const {
    return int(line_(line).start - m_origin);
}

QList<DisplayBuffer::Run> DisplayBuffer::lineRuns(int line) const {
    const auto& runs = line_(line).runs;
    return QList<Run>(runs.begin(), runs.end());
}

QString DisplayBuffer::text() const {
    return mid(0, length());
}

QString DisplayBuffer::mid(int pos, int len) const {
    pos = std::clamp(pos, 0, length());
    len = std::clamp(len, 0, length() - pos);
    QString out;
    out.reserve(len);
    int line = lineFromChar(pos);
    int offset = pos - lineStart(line);
    while (len > 0) {
        const QString& t = lineText(line);
        const int take = std::min<int>(len, int(t.size()) - offset);
        out.append(QStringView(t).mid(offset, take));
        len -= take;
        if (len > 0) { // the line's break
            out.append(u'\n');
            --len;
        }
        ++line;
        offset = 0;
    }
    return out;
}

const DisplayBuffer::Run* DisplayBuffer::runAt(int pos) const {
    if (pos < 0 || pos >= length())
        pos = std::clamp(pos, 0, length());
    const int line = lineFromChar(pos);
    const Line& l = line_(line);
    if (l.runs.empty())
        return nullptr;
    const int offset = pos - lineStart(line);
    // The last run starting at or before offset; a break takes the run before it.
    auto it = std::upper_bound(l.runs.begin(), l.runs.end(), offset,
                               [](int v, const Run& r) { return v < r.start; });
    if (it == l.runs.begin())
        return &l.runs.front();
    return &*(it - 1);
}

QRgb DisplayBuffer::colourAt(int pos) const {
    const Run* r = runAt(pos);
    return r ? r->colour : kEmptyColour;
}

bool DisplayBuffer::boldAt(int pos) const {
    const Run* r = runAt(pos);
    return r && r->bold;
}

void DisplayBuffer::dropHead(size_t n) {
    m_head += n;
    m_origin = m_lines[m_head].start;
    m_rowOrigin = m_lines[m_head].rowStart;
    // Compact once the dead prefix outweighs the live lines: amortised O(1).
    if (m_head > 64 && m_head * 2 > m_lines.size()) {
        m_lines.erase(m_lines.begin(), m_lines.begin() + qsizetype(m_head));
        m_head = 0;
        m_lent = 0;
    }
}

void DisplayBuffer::removeLeadingLines(int n) {
    n = std::min(n, lastLine());
    if (n <= 0)
        return;
    const qint64 newOrigin = m_lines[m_head + size_t(n)].start;
    m_length -= newOrigin - m_origin;
    dropHead(size_t(n));
}

void DisplayBuffer::setWrapColumns(int columns) {
    columns = std::max(columns, 1);
    if (columns == m_columns)
        return;
    m_columns = columns;
    qint64 row = m_rowOrigin;
    for (size_t i = m_head; i < m_lines.size(); ++i) {
        m_lines[i].rowStart = row;
        row += rowsFor(m_lines[i].text.size());
    }
}
