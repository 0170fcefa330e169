#pragma once
// Writes server text into the display in the colours its escape sequences
// choose (SgrColours). The text is cut at every sequence; each plain piece is
// inserted with one display call in the colour current before its sequence
// and handed to the log. Line-break markers (LineBreaks::kMarker) become CR LF as a piece is
// written. A sequence cut off by the end of the text is kept, with the text in
// front of it, and written in front of the next call's text. Calls are one
// stream: the colour state goes on from one to the next (the classic rules'
// per-chunk state until colours().beginChunk()), so where the text is cut
// between calls changes nothing.
//
// Other escape sequences are consumed whole: control sequences that are no
// colour, ESC with a final byte (ESC ( B), and strings ended by BEL or by the
// string terminator (operating system commands; a window title is kept). An ESC that
// starts nothing is dropped alone.
//
// Limits: a sequence is at most kMaxSequenceLength characters, a string
// kMaxStringLength (past that only its ESC is dropped); at most kMaxHeldText
// characters wait in front of a cut sequence (more is written at once).
#include "protocol/LineBreaks.h"
#include "protocol/SgrColours.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>
#include <functional>
#include <optional>
#include <utility>

class DisplaySink;

class ColourRenderer {
public:
    static constexpr int kMaxSequenceLength = 32;
    static constexpr int kMaxHeldText = 4096;
    static constexpr int kMaxStringLength = 4096;
    static constexpr int kMaxTitleLength = 200;

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

    // The window title the last operating system command 0 or 2 gave, taken
    // once; nothing when none came since the last take.
    std::optional<QString> takeTitle() { return std::exchange(m_title, std::nullopt); }

    SgrColours& colours() { return m_colours; }
    const SgrColours& colours() const { return m_colours; }

private:
    qsizetype renderText(QStringView text);
    // marker: where the piece's first marker starts, -1 when it has none.
    void writePiece(QStringView piece, qsizetype marker);
    void noteCommand(QStringView command);
    void selectAttributes();
    void keep(QStringView text, qsizetype start, qsizetype p, qsizetype marker);

    DisplaySink& m_display;
    std::function<void(QStringView)> m_log;
    SgrColours m_colours;
    QString m_kept;
    std::optional<QString> m_title;
    bool m_styled = false; // the display's attributes were last set to some
    QString m_joined;      // kept text + new text, when something was kept
    // A piece with its markers turned into CR LF: its room is kept, and most
    // pieces fit in the part that needs no allocation at all.
    QVarLengthArray<char16_t, 512> m_scratch;
};
