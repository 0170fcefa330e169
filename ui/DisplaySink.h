#pragma once
// What the text path needs of the game display. The display implements it;
// tests and benchmarks may plug in their own. Colours are plain RGB.
#include <QRgb>
#include <QStringView>

class DisplaySink {
public:
    virtual ~DisplaySink() = default;
    // Attributes for text inserted from now on.
    virtual void setSelColor(QRgb colour) = 0;
    virtual void setSelBold(bool bold) = 0;
    // Appends at the insertion point (always the end of the text). Every LF is
    // a line break; CR is dropped, so CR LF is one break.
    virtual void insertText(QStringView text) = 0;
    // Zero-based number of the last line (the line of the insertion point).
    virtual int lastLine() const = 0;
    // Removes whole lines 0 .. n-1 with their line breaks.
    virtual void removeLeadingLines(int n) = 0;
};
