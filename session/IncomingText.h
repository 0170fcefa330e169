#pragma once
// What happens to each chunk the server sends: line breaks marked, echo
// negotiation removed, text written in colour, the farewell phrase noticed,
// triggers fired and the display kept to its line limit.
#include "session/ColorRenderer.h"
#include "ui/DisplaySink.h"
#include "session/TriggerMatcher.h"

#include <QString>
#include <functional>

struct PairTable;

class IncomingText {
public:
    static constexpr int MaxDisplayLines = 500;
    static inline const QString kFarewell = QStringLiteral("Adde parvum parvo magnus acervus erit");
    static inline const QString kMarker = QStringLiteral("$0$");

    IncomingText(ColorRenderer& renderer, DisplaySink& display, PairTable& triggers,
                 std::function<void()> disconnect, std::function<void(const QString&)> write);

    // One data event: chunk is decoded text with telnet commands already removed.
    void processChunk(const QString& chunk);

    // Removes every FF FB 01, then every FF FC 01, then every 01 20 5B.
    static QString PulisciTelnet(const QString& text);

    // Every LF CR pair, then every CR LF pair, becomes the marker "$0$".
    static void markLineBreaks(QString& text);

    // A CR or LF held back because it may be the first half of a pair.
    const QString& heldBreak() const { return m_heldBreak; }
    // The connection ended: a held CR or LF will not be completed.
    void clearHeldBreak() { m_heldBreak.clear(); }
    // The connection is ending: what the server sent before a sequence it cut
    // off is shown (and logged) now, the cut sequence is dropped, and nothing
    // is left to lead the next connection's text.
    void endOfText();

private:
    void fireTriggers(QStringView searched);
    void trim();

    ColorRenderer& m_renderer;
    DisplaySink& m_display;
    PairTable& m_triggers;
    std::function<void()> m_disconnect;
    std::function<void(const QString&)> m_write;
    TriggerMatcher m_matcher;
    QString m_heldBreak;
};
