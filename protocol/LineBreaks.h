#pragma once
// Line breaks of received text. Every LF CR pair, then every CR LF pair,
// becomes the marker "$0$" (a CR LF CR LF is thus CR, marker, LF); a lone CR
// or LF stays as it is. The renderer writes each marker as CR LF, and trigger
// texts are matched against the marked text.
//
// A CR or LF that ends a read may be the first half of a pair whose second
// half starts the next read: it is held back and leads the next read. When
// the client writes text of its own meanwhile, the held break is released
// first, as a whole line break; if the next read then starts with the
// character that would have completed it, that character is dropped.
#include <QString>
#include <QStringView>

class LineBreaks {
public:
    // What a pair of breaks becomes, in the display's text and in the
    // texts triggers are matched against.
    static inline const QString kMarker = QStringLiteral("$0$");

    // Appends text to out with its breaks marked; the break held from the
    // last read leads, a break that ends text is held.
    void mark(QStringView text, QString& out);

    // The held break as a marker, now; empty when nothing is held.
    QStringView release();

    // The break waiting for its partner ("\r", "\n" or empty).
    QStringView held() const { return QStringView(&m_held, m_held ? 1 : 0); }
    // A new connection: nothing held, nothing to drop.
    void clear();

private:
    char16_t m_held = 0; // CR, LF or 0 for none
    char16_t m_drop = 0; // completes a released break when it starts the next read
};
