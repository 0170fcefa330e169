#include "display/DisplaySearch.h"

#include <algorithm>

namespace DisplaySearch {

namespace {

constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;

// Last match in text starting at or before at; -1 when none (or at < 0).
int lastMatchAtOrBefore(const QString& text, const QString& needle, qsizetype at) {
    if (at < 0 || text.isEmpty())
        return -1;
    // Negative positions count from the end in lastIndexOf: keep at in range.
    return int(text.lastIndexOf(needle, std::min(at, text.size() - 1), kCase));
}

Match forward(const DisplayBuffer& b, const QString& needle, int from) {
    const int fromLine = b.lineFromChar(from);
    for (int line = fromLine; line <= b.lastLine(); ++line) {
        const int offset = line == fromLine ? from - b.lineStart(line) : 0;
        const int at = int(b.lineText(line).indexOf(needle, offset, kCase));
        if (at >= 0)
            return {b.lineStart(line) + at, int(needle.size()), false};
    }
    for (int line = 0; line <= fromLine; ++line) {
        const int at = int(b.lineText(line).indexOf(needle, 0, kCase));
        if (at >= 0 && b.lineStart(line) + at < from)
            return {b.lineStart(line) + at, int(needle.size()), true};
    }
    return {};
}

Match backward(const DisplayBuffer& b, const QString& needle, int from) {
    const int fromLine = b.lineFromChar(from);
    for (int line = fromLine; line >= 0; --line) {
        const QString& text = b.lineText(line);
        const qsizetype last = line == fromLine ? from - b.lineStart(line) - 1 : text.size();
        const int at = lastMatchAtOrBefore(text, needle, last);
        if (at >= 0)
            return {b.lineStart(line) + at, int(needle.size()), false};
    }
    for (int line = b.lastLine(); line >= fromLine; --line) {
        const QString& text = b.lineText(line);
        const int at = lastMatchAtOrBefore(text, needle, text.size());
        if (at >= 0 && b.lineStart(line) + at >= from)
            return {b.lineStart(line) + at, int(needle.size()), true};
    }
    return {};
}

} // namespace

Match find(const DisplayBuffer& buffer, const QString& needle, int from, Direction direction) {
    if (needle.isEmpty())
        return {};
    from = std::clamp(from, 0, buffer.length());
    return direction == Direction::Forward ? forward(buffer, needle, from)
                                           : backward(buffer, needle, from);
}

} // namespace DisplaySearch
