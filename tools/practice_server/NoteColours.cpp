#include "practice_server/Ansi.h"

namespace {
const char* sequenceFor(QChar letter) {
    switch (letter.unicode()) {
    case 'g':
        return Ansi::kGrey;
    case 'G':
        return Ansi::kLightGrey;
    case 'r':
        return Ansi::kRed;
    case 'R':
        return Ansi::kBrightRed;
    case 'v':
        return Ansi::kGreen;
    case 'V':
        return Ansi::kBrightGreen;
    case 't':
        return Ansi::kYellow;
    case 'T':
        return Ansi::kBrightYellow;
    case 'b':
        return Ansi::kBlue;
    case 'B':
        return Ansi::kBrightBlue;
    case 'm':
        return Ansi::kMagenta;
    case 'M':
        return Ansi::kBrightMagenta;
    case 'c':
        return Ansi::kCyan;
    case 'C':
        return Ansi::kBrightCyan;
    case 'Z':
    case 'p':
        return Ansi::kWhite;
    default:
        return nullptr;
    }
}
} // namespace

QString Ansi::noteColoursToAnsi(const QString& text) {
    QString out;
    out.reserve(text.size() + 16);
    bool coloured = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'{' && i + 2 < text.size() && text[i + 1] == u'{') {
            if (const char* seq = sequenceFor(text[i + 2])) {
                out += QLatin1String(seq);
                coloured = true;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    if (coloured)
        out += QLatin1String(kReset);
    return out;
}
