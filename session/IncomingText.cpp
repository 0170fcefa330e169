#include "session/IncomingText.h"

#include "automation/ActionText.h"
#include "automation/PairTable.h"

#include <utility>

namespace {
const QString kWillEcho = QString::fromLatin1("\xFF\xFB\x01", 3);
const QString kWontEcho = QString::fromLatin1("\xFF\xFC\x01", 3);
const QString kOddEcho = QString::fromLatin1("\x01\x20\x5B", 3);
const QString kLfCr = QStringLiteral("\n\r");
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

IncomingText::IncomingText(ColorRenderer& renderer, DisplaySink& display, PairTable& triggers,
                           std::function<void()> disconnect,
                           std::function<void(const QString&)> write)
    : m_renderer(renderer), m_display(display), m_triggers(triggers),
      m_disconnect(std::move(disconnect)), m_write(std::move(write)) {}

QString IncomingText::PulisciTelnet(const QString& text) {
    if (!text.contains(QChar(0x01)))
        return text; // every sequence holds a code 1
    QString s = text;
    s.remove(kWillEcho);
    s.remove(kWontEcho);
    s.remove(kOddEcho);
    return s;
}

void IncomingText::markLineBreaks(QString& text) {
    text.replace(kLfCr, kMarker);
    text.replace(kCrLf, kMarker);
}

void IncomingText::processChunk(const QString& received) {
    QString chunk = m_heldBreak.isEmpty() ? received : m_heldBreak + received;
    m_heldBreak.clear();
    markLineBreaks(chunk);
    // A CR or LF that ends the read may pair with the first character of the
    // next one: the server's line break was merely split between two reads.
    if (!chunk.isEmpty() && (chunk.back() == u'\r' || chunk.back() == u'\n')) {
        m_heldBreak = chunk.back();
        chunk.chop(1);
    }

    chunk = PulisciTelnet(chunk);
    if (!m_renderer.PendingText.isEmpty())
        chunk.prepend(m_renderer.PendingText);
    QString copy = chunk;
    m_renderer.AddColText(copy, m_display);

    // Text held back is searched when it is written, with the next chunk, so
    // the phrase and the triggers are seen once per occurrence.
    const QStringView written = QStringView(chunk).chopped(copy.size());
    if (written.contains(kFarewell) && m_disconnect)
        m_disconnect(); // and go on: triggers of the same chunk still fire
    if (m_triggers.walkEnd() > 0)
        fireTriggers(written);
    trim();
}

void IncomingText::endOfText() {
    QString rest;
    rest.swap(m_renderer.PendingText);
    // Held text always ends in the cut sequence; what remains before it may
    // be held once more (a short broken sequence), and is cut again.
    while (!rest.isEmpty()) {
        const qsizetype esc = rest.lastIndexOf(QChar(0x1B));
        if (esc >= 0)
            rest.truncate(esc);
        m_renderer.AddColText(rest, m_display);
    }
    QString held;
    held.swap(m_heldBreak);
    m_renderer.AddColText(held, m_display);
}

void IncomingText::fireTriggers(QStringView searched) {
    m_matcher.sync(m_triggers);
    const QString lower = TriggerMatcher::lowered(searched);
    const QList<int> fired = m_matcher.findAll(lower);
    for (int i : fired) {
        if (i >= m_triggers.actions.size())
            continue;
        QString& action = m_triggers.actions[i];
        if (!QStringView(action).right(5).contains(ActionText::kSeparator)) {
            action += ActionText::kSeparator;
            m_triggers.touch();
        }
        const QString command = ActionText::toWire(action);
        m_display.setSelColor(m_renderer.CurrentColor);
        m_display.insertText(command);
        if (m_write)
            m_write(command);
    }
}

void IncomingText::trim() {
    const int last = m_display.lastLine();
    if (last > MaxDisplayLines)
        m_display.removeLeadingLines(last - MaxDisplayLines);
}
