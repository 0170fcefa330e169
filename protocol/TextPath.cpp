#include "protocol/TextPath.h"

#include "automation/ActionText.h"
#include "automation/PairTable.h"
#include "files/CharScan.h"

#include <utility>

namespace {
const QString kWillEcho = QString::fromLatin1("\xFF\xFB\x01", 3);
const QString kWontEcho = QString::fromLatin1("\xFF\xFC\x01", 3);
const QString kOddEcho = QString::fromLatin1("\x01\x20\x5B", 3);
constexpr QRgb kWhite = qRgb(255, 255, 255);

bool holdsFarewell(QStringView text) {
    // Found by its first two characters, a pair that game text seldom holds.
    const QStringView phrase(TextPath::kFarewell);
    const char16_t* const end = text.utf16() + text.size();
    for (const char16_t* p = text.utf16();
         (p = CharScan::findPair(p, end, phrase[0].unicode(), phrase[1].unicode())) != end; ++p) {
        if (end - p >= phrase.size() && QStringView(p, phrase.size()) == phrase)
            return true;
    }
    return false;
}
} // namespace

TextPath::TextPath(DisplaySink& display, PairTable& triggers)
    : m_display(display), m_triggers(triggers), m_stream([this](QByteArrayView bytes) {
          if (m_send)
              m_send(bytes);
      }),
      m_hold(display), m_renderer(m_hold) {}

void TextPath::setLogHook(std::function<void(QStringView)> log) {
    m_renderer.setLogHook(std::move(log));
}

QString TextPath::removeEchoNegotiation(const QString& text) {
    if (!text.contains(QChar(0x01)))
        return text; // every sequence holds a code 1
    QString s = text;
    s.remove(kWillEcho);
    s.remove(kWontEcho);
    s.remove(kOddEcho);
    return s;
}

void TextPath::beginSession(const TextSettings& settings) {
    const ColourRules colours = settings.colours;
    m_stream.reset(settings);
    m_breaks.clear();
    m_renderer.dropKept();
    m_renderer.colours().beginChunk();
    m_colourChoice = colours;
    // Switching rules starts their state afresh; the colour itself stays.
    m_renderer.colours().setRules(SgrColours::Rules::Classic);
    if (colours == ColourRules::Terminal)
        m_renderer.colours().setRules(SgrColours::Rules::Terminal);
    m_open = true;
}

TextPath::Outcome TextPath::receive(QByteArrayView bytes) {
    Outcome outcome;
    if (!m_open)
        return outcome;
    // Taken for this read, so that a read started from within it (by a
    // callback) cannot change the text under it; handed back with its room.
    QString readText;
    readText.swap(m_readText);
    readText.resize(0);
    static_cast<TelnetStream::Read&>(outcome) = m_stream.read(bytes, readText);
    const auto process = [&](QStringView text) {
        for (qsizetype at = 0; at < text.size() && m_open;) {
            qsizetype n = qMin(kChunkSize, text.size() - at);
            // An inflated read is cut into chunks, never inside a surrogate pair.
            if (at + n < text.size() && text[at + n - 1].isHighSurrogate() && n > 1)
                --n;
            processChunk(text.sliced(at, n), outcome);
            at += n;
        }
    };
    const QStringView text(readText);
    // The text is handled in pieces cut where something happened between
    // its characters: the server showed itself (text from before keeps the
    // classic rules, wherever the read began), a message of the data channel
    // came (the filter hears it after the lines before it).
    qsizetype done = 0;
    const auto upTo = [&](qsizetype at) {
        at = qBound(done, at, text.size());
        process(text.sliced(done, at - done));
        done = at;
    };
    bool rulesPending = outcome.todaysServer && m_colourChoice == ColourRules::Automatic;
    const auto switchRulesBefore = [&](qsizetype at) {
        if (rulesPending && outcome.todaysServerAt <= at) {
            upTo(outcome.todaysServerAt);
            m_renderer.colours().setRules(SgrColours::Rules::Terminal);
            rulesPending = false;
        }
    };
    if (LineFilter* filter = m_hold.filter()) {
        for (const GmcpAt& g : std::as_const(outcome.gmcp)) {
            switchRulesBefore(g.at);
            upTo(g.at);
            if (m_open)
                filter->gmcpArrived(g.message);
        }
    }
    switchRulesBefore(text.size());
    upTo(text.size());
    if (outcome.utf8At >= 0 && m_open)
        writeUtf8Notice();
    m_readText.swap(readText);
    if (outcome.promptMarks > 0 && m_open)
        releasePrompt();
    return outcome;
}

TextPath::Outcome TextPath::receiveText(QStringView text) {
    Outcome outcome;
    if (m_open && !text.isEmpty())
        processChunk(text, outcome);
    return outcome;
}

void TextPath::processChunk(QStringView chunk, Outcome& outcome) {
    endNoticeLine();
    m_work.resize(0);
    m_breaks.mark(chunk, m_work);
    const char16_t* const work = reinterpret_cast<const char16_t*>(m_work.constData());
    const char16_t* const workEnd = work + m_work.size();
    if (CharScan::findEither(work, workEnd, 0x01, 0x01) != workEnd) // every sequence holds a 1
        m_work = removeEchoNegotiation(m_work);
    QStringView written = m_renderer.render(m_work);
    if (!written.isEmpty())
        m_atLineStart = written.endsWith(LineBreaks::kMarker) || written.endsWith(u'\n');
    if (std::optional<QString> title = m_renderer.takeTitle())
        outcome.title = std::move(title);

    // Text held back is searched when it is written, with the next chunk, so
    // the phrase and the triggers are seen once per occurrence.
    QString keptForTriggers;
    if (holdsFarewell(written)) {
        outcome.farewell = true;
        keptForTriggers = written.toString(); // ending the session writes more
        written = keptForTriggers;
        endSession(); // and go on: triggers of the same chunk still fire
    }
    if (m_triggers.walkEnd() > 0) {
        m_hold.setDeferring(true); // their echoes follow the lines held
        fireTriggers(written, outcome);
        m_hold.setDeferring(false);
    }
    m_hold.flushLines();
    trim();
}

void TextPath::releasePrompt() {
    m_hold.release(true);
    trim();
}

void TextPath::fireTriggers(QStringView written, Outcome& outcome) {
    m_matcher.sync(m_triggers);
    const QList<int> fired = m_matcher.findAll(written);
    for (int i : fired) {
        if (i >= m_triggers.actions.size())
            continue;
        const QString command = ActionText::triggerCommand(m_triggers, i);
        sendReply(command);
        outcome.replies << command;
    }
}

void TextPath::sendReply(const QString& command) {
    m_own.setSelColor(currentColour());
    m_own.insertText(command);
    // After the farewell the echo still shows, but nothing is sent.
    if (m_open)
        m_stream.sendText(command);
}

void TextPath::endSession() {
    if (!m_open)
        return;
    m_open = false;
    // A character the stream cut off shows as U+FFFD; what the server sent
    // before a sequence it cut off is shown (and logged) now; a break still
    // held is written as it came.
    const QString cut = m_stream.flush();
    if (!cut.isEmpty())
        m_renderer.render(cut);
    m_renderer.flushKept();
    const QString held = m_breaks.held().toString();
    m_breaks.clear();
    if (!held.isEmpty())
        m_renderer.render(held);
    m_hold.release(false);
    writeNotice();
    m_stream.reset();
}

void TextPath::writeNotice() {
    endNoticeLine();
    m_display.setSelColor(kWhite);
    m_display.setSelStyle({});
    m_display.setSelBold(true);
    m_display.insertText(kDisconnectNotice);
    m_display.setSelBold(false);
    // Its line ends before whatever is written next; a display whose last
    // text is the notice keeps it as its last line.
    m_noticeOpen = true;
}

void TextPath::writeUtf8Notice() {
    if (!m_breaks.held().isEmpty()) {
        releaseHeldBreak();
        m_atLineStart = true;
    }
    endNoticeLine();
    m_display.setSelColor(kWhite);
    m_display.setSelStyle({});
    m_display.insertText(m_atLineStart ? kUtf8Notice : QStringLiteral("\r\n") + kUtf8Notice);
    m_noticeOpen = true;
    trim(); // a line of its own after the read's text
}

void TextPath::endNoticeLine() {
    if (std::exchange(m_noticeOpen, false)) {
        m_display.insertText(u"\r\n");
        m_atLineStart = true;
    }
}

void TextPath::sendCommand(QStringView text) {
    if (!m_open)
        return;
    m_stream.sendText(text);
    // The server's answer to a command is a text of its own: under the
    // classic rules its brightness and colour code start afresh, as they did
    // when every answer came in a read of its own. Where the network cuts
    // the server's text never starts them afresh.
    m_renderer.colours().beginChunk();
}

bool TextPath::sendGmcp(QStringView package, const QJsonValue& data) {
    return gmcpEnabled() && m_stream.sendGmcp(GmcpMessage::encode(package, data));
}

void TextPath::releaseHeldBreak() {
    const QStringView marker = m_breaks.release();
    if (!marker.isEmpty())
        m_renderer.render(marker);
}

void TextPath::trim() {
    const int last = m_display.lastLine();
    if (last > kMaxDisplayLines)
        m_display.removeLeadingLines(last - kMaxDisplayLines);
}

void TextPath::OwnText::setSelColor(QRgb colour) {
    m_colour = colour;
    m_path.m_display.setSelColor(colour);
    m_path.m_display.setSelStyle({}); // own text takes no background of the server's
}

void TextPath::OwnText::setSelBold(bool bold) {
    m_bold = bold;
    m_path.m_display.setSelBold(bold);
}

void TextPath::OwnText::insertText(QStringView text) {
    m_path.endNoticeLine();
    LineHold& hold = m_path.m_hold;
    if (hold.filtering() || hold.holding()) {
        // Held lines (and a held break, which ends one) go out first.
        if (!m_path.m_breaks.held().isEmpty())
            m_path.releaseHeldBreak();
        hold.writeOwn(text, m_colour, m_bold);
        return;
    }
    if (!m_path.m_breaks.held().isEmpty()) {
        m_path.releaseHeldBreak();
        // The break was server text, in the server's colour.
        m_path.m_display.setSelColor(m_colour);
        m_path.m_display.setSelBold(m_bold);
        m_path.m_display.setSelStyle({});
    }
    m_path.m_display.insertText(text);
}

int TextPath::OwnText::lastLine() const {
    return m_path.m_display.lastLine();
}

void TextPath::OwnText::removeLeadingLines(int n) {
    m_path.m_display.removeLeadingLines(n);
}
