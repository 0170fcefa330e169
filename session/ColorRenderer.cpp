#include "session/ColorRenderer.h"

namespace {

constexpr QChar kEsc(0x1B);
const QString kMarker = QStringLiteral("$0$");
const QString kCrLf = QStringLiteral("\r\n");

enum class Scan { Sequence, Incomplete, NotASequence };

// Looks at the control sequence introduced by ESC "[" at text[p]. A sequence
// is parameter bytes (0x30-0x3F), then intermediate bytes (0x20-0x2F), then
// one final byte (0x40-0x7E); anything else means the ESC starts no sequence.
Scan scanSequence(QStringView text, qsizetype p, qsizetype& end) {
    const qsizetype limit = qMin<qsizetype>(text.size(), p + ColorRenderer::kMaxSequenceLength);
    bool intermediate = false;
    for (qsizetype i = p + 2; i < limit; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x40 && c <= 0x7E) {
            end = i;
            return Scan::Sequence;
        }
        if (c >= 0x30 && c <= 0x3F && !intermediate)
            continue;
        if (c >= 0x20 && c <= 0x2F) {
            intermediate = true;
            continue;
        }
        return Scan::NotASequence;
    }
    return limit == text.size() && limit - p < ColorRenderer::kMaxSequenceLength
               ? Scan::Incomplete
               : Scan::NotASequence;
}

// A field counts only when it is a whole number: digits and nothing else.
bool wholeNumber(QStringView field, int& value) {
    if (field.isEmpty())
        return false;
    int v = 0;
    for (QChar ch : field) {
        if (ch < u'0' || ch > u'9')
            return false;
        v = qMin(v * 10 + (ch.unicode() - u'0'), 100000); // saturate, stays out of range
    }
    value = v;
    return true;
}

} // namespace

QRgb ColorRenderer::SelColore(qint16 code) const {
    switch (code) {
    case 30:
        return qRgb(120, 120, 120);
    case 31:
        return qRgb(120, 0, 0);
    case 32:
        return qRgb(0, 120, 0);
    case 33:
        return qRgb(120, 120, 0);
    case 34:
        return qRgb(0, 0, 120);
    case 35:
        return qRgb(120, 0, 120);
    case 36:
        return qRgb(0, 120, 120);
    case 37:
        return qRgb(240, 240, 240);
    case 40:
        return qRgb(200, 200, 200);
    case 41:
        return qRgb(240, 0, 0);
    case 42:
        return qRgb(0, 240, 0);
    case 43:
        return qRgb(240, 240, 0);
    case 44:
        return qRgb(0, 0, 240);
    case 45:
        return qRgb(240, 0, 240);
    case 46:
        return qRgb(0, 240, 240);
    case 47:
        return qRgb(240, 240, 240);
    default:
        return CurrentColor;
    }
}

void ColorRenderer::writePiece(QStringView piece, DisplaySink& display) {
    if (piece.isEmpty())
        return;
    if (!piece.contains(kMarker)) {
        display.insertText(piece);
        if (logHook)
            logHook(piece.toString());
        return;
    }
    QString text = piece.toString();
    text.replace(kMarker, kCrLf);
    display.insertText(text);
    if (logHook)
        logHook(text);
}

void ColorRenderer::holdBack(QStringView text, qsizetype start, qsizetype p, DisplaySink& display) {
    // The text before a cut sequence waits with it, unless there is so much
    // that chunk after chunk ending in a cut sequence would hold it for ever.
    if (p - start > kMaxHeldText) {
        display.setSelColor(CurrentColor);
        writePiece(text.sliced(start, p - start), display);
        start = p;
    }
    PendingText = text.mid(start).toString();
}

void ColorRenderer::AddColText(QString& parsecol, DisplaySink& display) {
    PendingText.clear();
    const QStringView text(parsecol);
    qsizetype start = 0;  // first character not yet written
    qsizetype search = 0; // where to look for the next ESC
    int offset = 0;       // brightness offset, per call
    int colourCode = 0;   // last colour code, per call

    for (;;) {
        const qsizetype p = text.indexOf(kEsc, search);
        if (p < 0)
            break;
        if (p + 1 == text.size()) { // ESC alone at the end: wait for the rest
            holdBack(text, start, p, display);
            break;
        }
        if (text[p + 1] != u'[') { // not a sequence: shown as it stands
            search = p + 1;
            continue;
        }
        qsizetype q = 0;
        const Scan scan = scanSequence(text, p, q);
        if (scan == Scan::Incomplete) {
            holdBack(text, start, p, display);
            break;
        }
        if (scan == Scan::NotASequence) {
            search = p + 1;
            continue;
        }

        const QStringView params = text.sliced(p + 2, q - p - 2);
        if (text[q] != u'm') {
            // Other control sequences (clear screen, cursor moves) mean nothing
            // to a scrolling display: dropped whole, colour unchanged.
            display.setSelColor(CurrentColor);
            writePiece(text.sliced(start, p - start), display);
        } else if (params == u"0") {
            display.setSelColor(CurrentColor);
            writePiece(text.sliced(start, p - start), display);
            CurrentColor = kPlainColour;
        } else {
            for (QStringView field : params.tokenize(u';')) {
                int v = 0;
                if (!wholeNumber(field, v))
                    continue;
                if (v == 0) {
                    display.setSelBold(false);
                    offset = 0;
                } else if (v == 1) {
                    offset = 10;
                } else if (v >= 30 && v <= 47) {
                    colourCode = v + offset;
                }
            }
            display.setSelColor(CurrentColor);
            writePiece(text.sliced(start, p - start), display);
            CurrentColor = SelColore(qint16(colourCode));
        }
        start = search = q + 1;
    }

    if (PendingText.isEmpty()) {
        display.setSelColor(CurrentColor);
        writePiece(text.sliced(start), display);
        parsecol.clear();
    } else {
        parsecol = PendingText;
    }
}
