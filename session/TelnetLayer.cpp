#include "session/TelnetLayer.h"

#include <cstddef>
#include <libtelnet.h>

#include <algorithm>

namespace {
// What we accept from the server (him) and what we offer (us); every other
// option is refused by the parser's negotiation rules.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_EOR, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_COMPRESS2, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};
} // namespace

TelnetLayer::TelnetLayer() {
    start();
}

TelnetLayer::~TelnetLayer() {
    *m_alive = false;
    stop();
}

void TelnetLayer::start() {
    m_telnet = telnet_init(kOptions, &TelnetLayer::handler, 0, this);
}

void TelnetLayer::stop() {
    if (m_telnet)
        telnet_free(m_telnet);
    m_telnet = nullptr;
}

void TelnetLayer::reset() {
    stop();
    ++m_generation;
    m_busy = false;
    m_input.clear();
    m_events.clear();
    m_serverEcho = false;
    m_nawsOn = false;
    m_compressed = false;
    m_failed = false;
    start();
}

void TelnetLayer::feed(const char* data, qsizetype size) {
    if (size <= 0 || !data)
        return;
    m_input.append(data, size);
    if (m_busy)
        return; // the running feed picks these bytes up after its callbacks
    m_busy = true;
    while (!m_input.isEmpty()) {
        QByteArray chunk;
        chunk.swap(m_input);
        parse(chunk);
        if (!deliverQueued())
            return; // destroyed or reset by a callback
    }
    m_busy = false;
}

void TelnetLayer::parse(QByteArrayView chunk) {
    // The library drops whatever follows the end of a compressed stream in the
    // same call, so while inflating it gets one byte at a time (still far faster
    // than any game sends), and a chunk is cut after every IAC SE, where
    // compression may start. Cutting the stream anywhere is otherwise harmless.
    m_parsing = true;
    while (!chunk.isEmpty() && m_telnet && !m_failed) {
        qsizetype n = 1;
        if (!m_compressed) {
            const qsizetype se = chunk.indexOf(QByteArrayView("\xFF\xF0", 2));
            n = se < 0 ? chunk.size() : se + 2;
        }
        telnet_recv(m_telnet, chunk.data(), size_t(n));
        chunk = chunk.sliced(n);
    }
    m_parsing = false;
}

void TelnetLayer::send(QByteArrayView bytes) {
    if (!m_telnet || bytes.isEmpty())
        return;
    m_parsing = true;
    telnet_send(m_telnet, bytes.data(), size_t(bytes.size()));
    m_parsing = false;
    deliverQueued();
}

bool TelnetLayer::deliverQueued() {
    // The library's events of one call of ours go out only after it returned,
    // so a callback may reset or destroy this layer.
    const std::shared_ptr<bool> alive = m_alive;
    const unsigned generation = m_generation;
    QList<Event> events;
    events.swap(m_events);
    for (const Event& e : events) {
        deliver(e);
        if (!*alive || generation != m_generation)
            return false;
    }
    return true;
}

void TelnetLayer::setWindowSize(int cols, int rows) {
    cols = std::clamp(cols, 0, 0xFFFF);
    rows = std::clamp(rows, 0, 0xFFFF);
    if (cols == m_cols && rows == m_rows)
        return;
    m_cols = cols;
    m_rows = rows;
    if (m_nawsOn && !m_parsing) {
        m_parsing = true;
        sendWindowSize();
        m_parsing = false;
        deliverQueued();
    }
}

void TelnetLayer::sendWindowSize() {
    const char size[4] = {char(m_cols >> 8), char(m_cols & 0xFF), char(m_rows >> 8),
                          char(m_rows & 0xFF)};
    telnet_subnegotiation(m_telnet, TELNET_TELOPT_NAWS, size, sizeof size);
}

void TelnetLayer::handler(telnet_t*, telnet_event_t* ev, void* self) {
    static_cast<TelnetLayer*>(self)->handle(ev);
}

void TelnetLayer::handle(telnet_event_t* ev) {
    switch (ev->type) {
    case TELNET_EV_DATA:
        post(Event::Data, QByteArrayView(ev->data.buffer, qsizetype(ev->data.size)));
        break;
    case TELNET_EV_SEND:
        post(Event::Send, QByteArrayView(ev->data.buffer, qsizetype(ev->data.size)));
        break;
    case TELNET_EV_IAC:
        if (ev->iac.cmd == TELNET_GA || ev->iac.cmd == TELNET_EOR)
            post(Event::Prompt);
        break;
    case TELNET_EV_WILL:
        if (ev->neg.telopt == TELNET_TELOPT_ECHO && !m_serverEcho) {
            m_serverEcho = true;
            post(Event::Echo, {}, true);
        }
        break;
    case TELNET_EV_WONT:
        if (ev->neg.telopt == TELNET_TELOPT_ECHO && m_serverEcho) {
            m_serverEcho = false;
            post(Event::Echo, {}, false);
        }
        break;
    case TELNET_EV_DO:
        if (ev->neg.telopt == TELNET_TELOPT_NAWS) {
            m_nawsOn = true;
            sendWindowSize();
        }
        break;
    case TELNET_EV_DONT:
        if (ev->neg.telopt == TELNET_TELOPT_NAWS)
            m_nawsOn = false;
        break;
    case TELNET_EV_TTYPE:
        if (ev->ttype.cmd == TELNET_TTYPE_SEND)
            telnet_ttype_is(m_telnet, kTerminalType);
        break;
    case TELNET_EV_COMPRESS:
        m_compressed = ev->compress.state != 0;
        break;
    case TELNET_EV_ERROR:
        // Only a broken compressed stream or a lack of memory get here: what
        // follows cannot be read any more.
        m_failed = true;
        m_compressed = false;
        post(Event::Error, QByteArrayView(ev->error.msg ? ev->error.msg : "telnet error"));
        break;
    default:
        break;
    }
}

void TelnetLayer::post(Event::Kind kind, QByteArrayView bytes, bool on) {
    if ((kind == Event::Data || kind == Event::Send) && !m_events.isEmpty() &&
        m_events.last().kind == kind) {
        m_events.last().bytes.append(bytes);
        return;
    }
    m_events.append(Event{kind, bytes.toByteArray(), on});
}

void TelnetLayer::deliver(const Event& e) {
    switch (e.kind) {
    case Event::Data:
        if (onData && !e.bytes.isEmpty())
            onData(e.bytes);
        break;
    case Event::Send:
        if (onSend && !e.bytes.isEmpty())
            onSend(e.bytes);
        break;
    case Event::Echo:
        if (onServerEchoChanged)
            onServerEchoChanged(e.on);
        break;
    case Event::Prompt:
        if (onPromptMark)
            onPromptMark();
        break;
    case Event::Error:
        if (onError)
            onError(QString::fromUtf8(e.bytes));
        break;
    }
}
