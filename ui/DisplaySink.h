#pragma once
// What the text path needs of the game display. The display implements it;
// tests and benchmarks may plug in their own. Colours are plain RGB.
#include <QRgb>
#include <QStringView>

// How text looks beyond its colour, as a terminal's rules draw it. Dim and
// reverse are already in the colours.
struct TextStyle {
    enum Flag : quint8 { Bold = 1, Italic = 2, Underline = 4, Strike = 8, Background = 16 };
    quint8 flags = 0;
    QRgb background = 0; // when flags hold Background
    bool has(Flag f) const { return flags & f; }
    bool operator==(const TextStyle&) const = default;
};

class DisplaySink {
public:
    virtual ~DisplaySink() = default;
    // Attributes for text inserted from now on.
    virtual void setSelColor(QRgb colour) = 0;
    virtual void setSelBold(bool bold) = 0;
    // Background and type attributes for text inserted from now on (plain
    // when never set); a display that cannot show them may ignore them.
    virtual void setSelStyle(const TextStyle& style) { (void)style; }
    // Appends at the insertion point (always the end of the text). Every LF is
    // a line break; CR is dropped, so CR LF is one break.
    virtual void insertText(QStringView text) = 0;
    // Zero-based number of the last line (the line of the insertion point).
    virtual int lastLine() const = 0;
    // Removes whole lines 0 .. n-1 with their line breaks.
    virtual void removeLeadingLines(int n) = 0;
};
