#pragma once
// What the player's scripts make of server text, line by line. The text path
// hands every complete line, and text left waiting without a line end (a
// prompt), to the filter before the display sees it; what the filter returns
// is what is shown. The session log keeps what the server sent. Messages of
// the data channel reach it where they came among the lines.
#include "protocol/GmcpMessage.h"

#include <QList>
#include <QRgb>
#include <QString>

class LineFilter {
public:
    struct Span {
        qsizetype start;
        qsizetype length;
        QRgb colour;
        bool hasBackground;
        QRgb background;
    };
    struct Shown {
        bool gagged = false;
        QString text;      // the line as shown, colours stripped
        QList<Span> spans; // coloured over the server's colours, in order
    };
    virtual ~LineFilter() = default;
    // False while it has nothing to do: the text then goes straight through.
    virtual bool active() const = 0;
    virtual Shown filterLine(const QString& text, bool prompt) = 0;
    // A message, after the lines the server sent before it (text of its line
    // before it still waits for the line's end), whether active() or not.
    virtual void gmcpArrived(const GmcpMessage& message) { (void)message; }
};
