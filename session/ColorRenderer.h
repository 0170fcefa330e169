#pragma once
// Writes server text into the display in the colours its ANSI sequences
// select. Every plain piece goes to the display with one insert and is handed
// to the log hook; a sequence cut off by the end of a chunk waits in
// PendingText for the next one.
#include "ui/DisplaySink.h"

#include <QRgb>
#include <QString>
#include <functional>

class ColorRenderer {
public:
    static constexpr QRgb kPlainColour = qRgb(240, 240, 240);
    // Longest control sequence (ESC and "[" included) that may be held back.
    // Past this an ESC that never completed is shown as an ordinary character,
    // so an unfinished sequence cannot hold back text for ever.
    static constexpr int kMaxSequenceLength = 32;
    // Most plain text held back in front of a cut sequence.
    static constexpr int kMaxHeldText = 4096;

    QRgb CurrentColor = kPlainColour;
    QString PendingText;
    // Receives every piece exactly as it is inserted (the session log).
    std::function<void(const QString&)> logHook;

    // Consumes parsecol: on return it holds only what was not written (the
    // same text as PendingText). The insertion point must be at the end.
    void AddColText(QString& parsecol, DisplaySink& display);

    // Palette colour of a code, or CurrentColor when the code has none.
    QRgb SelColore(qint16 code) const;

private:
    void writePiece(QStringView piece, DisplaySink& display);
    void holdBack(QStringView text, qsizetype start, qsizetype p, DisplaySink& display);
};
