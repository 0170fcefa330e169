#pragma once
// Writes server text into the display in the colours its escape sequences
// choose (SgrColours). The text is cut at every sequence; each plain piece is
// inserted with one display call in the colour current before its sequence
// and handed to the log. Line-break markers (LineBreaks::kMarker) become CR LF as a piece is
// written. A sequence cut off by the end of the text is kept, with the text in
// front of it, and written in front of the next call's text.
//
// Limits: a sequence is at most kMaxSequenceLength characters (past that its
// ESC is shown as text); at most kMaxHeldText characters wait in front of a
// cut sequence (more is written at once).
#include "protocol/LineBreaks.h"
#include "protocol/SgrColours.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <functional>

class DisplaySink;

class ColourRenderer {
public:
    static constexpr int kMaxSequenceLength = 32;
    static constexpr int kMaxHeldText = 4096;

    explicit ColourRenderer(DisplaySink& display) : m_display(display) {}

    // Receives every piece exactly as it is inserted (the session log).
    void setLogHook(std::function<void(QStringView)> hook) { m_log = std::move(hook); }

    // Writes the text kept from the last call, then text. Returns what was
    // written (kept text included, the newly kept tail excluded); the view
    // stays valid until the next call.
    QStringView render(QStringView text);

    // The end of the stream: what waits in front of a cut sequence is
    // written, the cut sequence itself dropped.
    void flushKept();
    // Forgets the kept text without writing it.
    void dropKept() { m_kept.clear(); }
    // Text kept for the next call: a cut sequence and what precedes it.
    QStringView kept() const { return m_kept; }

    SgrColours& colours() { return m_colours; }
    const SgrColours& colours() const { return m_colours; }

private:
    qsizetype renderText(QStringView text);
    // marker: where the piece's first marker starts, -1 when it has none.
    void writePiece(QStringView piece, qsizetype marker);
    void keep(QStringView text, qsizetype start, qsizetype p, qsizetype marker);

    DisplaySink& m_display;
    std::function<void(QStringView)> m_log;
    SgrColours m_colours;
    QString m_kept;
    QString m_joined; // kept text + new text, when something was kept
    // A piece with its markers turned into CR LF: its room is kept, and most
    // pieces fit in the part that needs no allocation at all.
    QVarLengthArray<char16_t, 512> m_scratch;
};
