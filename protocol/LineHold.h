#pragma once
// Sits between the colour renderer and the display while a LineFilter is
// active: server text is held until its line is complete (or it is released
// as a prompt), handed to the filter as plain text, and written as the
// filter says, in the server's colours where the text is unchanged. Without
// an active filter every call goes straight through.
//
// The text path decides when lines go out: flushLines() after the old
// triggers of a read have fired, release() when text waits without a line
// end. Own text written meanwhile (a trigger's echo) is queued behind the
// held lines, so it still follows the text that caused it.
#include "protocol/LineFilter.h"
#include "ui/DisplaySink.h"

#include <vector>

class LineHold : public DisplaySink {
public:
    explicit LineHold(DisplaySink& display) : m_display(display) {}
    void setFilter(LineFilter* filter) { m_filter = filter; }
    LineFilter* filter() const { return m_filter; }
    bool filtering() const { return m_filter && m_filter->active(); }
    bool holding() const { return !m_pieces.empty(); }

    void setSelColor(QRgb colour) override;
    void setSelBold(bool bold) override;
    void setSelStyle(const TextStyle& style) override;
    void insertText(QStringView text) override;
    int lastLine() const override { return m_display.lastLine(); }
    void removeLeadingLines(int n) override { m_display.removeLeadingLines(n); }

    // Every complete line held goes through the filter to the display.
    void flushLines();
    // Then the text without a line end too; as a prompt when prompt is set.
    // The rest of its line, when it comes, is shown as it arrives.
    void release(bool prompt);
    // Own text (echoes, replies, notices). While the old triggers of a read
    // fire (deferring) or a line is being filtered, it waits for the lines
    // held and follows them; otherwise what is held goes out first.
    void writeOwn(QStringView text, QRgb colour, bool bold);
    void setDeferring(bool on) { m_deferring = on; }

private:
    // A stretch of the held text with its attributes: the text is kept in
    // one buffer, so holding a line costs no allocation per piece.
    struct Piece {
        qsizetype start;
        qsizetype length;
        QRgb colour;
        bool bold;
        TextStyle style;
        bool own = false; // the client's own text, not the server's
    };
    struct OwnText {
        QString text;
        QRgb colour;
        bool bold;
    };
    void hold(QStringView text, QRgb colour, bool bold, const TextStyle& style, bool own);
    // complete: the pieces (stretches of held) end with the line break.
    void writeLine(const QString& held, std::vector<Piece>& pieces, bool prompt, bool complete);
    void writeShown(const QString& held, const std::vector<Piece>& pieces,
                    const LineFilter::Shown& shown, const QString& plain, bool complete);
    void write(QStringView text, QRgb colour, bool bold, const TextStyle& style);
    void restoreAttributes();

    DisplaySink& m_display;
    LineFilter* m_filter = nullptr;
    QString m_held; // the text of m_pieces
    std::vector<Piece> m_pieces;
    QRgb m_colour = qRgb(255, 255, 255);
    bool m_bold = false;
    TextStyle m_style;
    QString m_shownHead; // a prompt shown before its line was complete
    bool m_deferring = false;
    bool m_busy = false;          // inside the filter
    std::vector<OwnText> m_after; // own text written from inside the filter
};
