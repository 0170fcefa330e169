#include "protocol/TelnetLayer.h"

#include "protocol/GmcpMessage.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstddef>
#include <libtelnet.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr unsigned char kCharset = 42;
// CHARSET subnegotiation commands.
constexpr char kRequest = 1, kAccepted = 2, kRejected = 3, kTtableIs = 4, kTtableRejected = 5;
const QByteArrayView kTtable("[TTABLE]");

// What we accept from the server (him) and what we offer (us); every other
// option is refused by the parser's negotiation rules. The first row, the
// character's data beside the text (GMCP), is left out unless the settings
// ask for it: the table then starts at the second row.
const telnet_telopt_t kOptions[] = {
    {GmcpMessage::kOption, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_EOR, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_COMPRESS2, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {kCharset, TELNET_WILL, TELNET_DO},
    {-1, 0, 0},
};
// What the client takes: the packages whose messages it reads or hands on.
const char* const kGmcpPackages[] = {"Char 1", "Char.Vitals 1", "Room 1", "Comm.Channel 1"};

// Whether bytes we send refuse an option the server offered: the library
// answers an offer of an option it does not know (GMCP, MSDP, NEW-ENVIRON, ...)
// with DONT or WONT by itself, and tells of the offer no other way.
bool refusesOffer(QByteArrayView bytes) {
    return bytes.size() == 3 && uchar(bytes[0]) == TELNET_IAC &&
           (uchar(bytes[1]) == TELNET_DONT || uchar(bytes[1]) == TELNET_WONT) &&
           uchar(bytes[2]) != TELNET_TELOPT_ECHO;
}

bool isNameByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

QByteArrayView trimmed(QByteArrayView v) {
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

// The character set names of a REQUEST's list, in the server's order. The
// list's first byte is the separator; a list that starts with a name has
// none, and is then split at blanks, semicolons and commas.
QList<QByteArrayView> charsetNames(QByteArrayView list) {
    QList<QByteArrayView> names;
    if (list.isEmpty())
        return names;
    const bool noSeparator = isNameByte(list.front());
    const char separator = list.front();
    if (!noSeparator)
        list = list.sliced(1);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= list.size(); ++i) {
        const bool end =
            i == list.size() || (noSeparator ? list[i] == ' ' || list[i] == ';' || list[i] == ','
                                             : list[i] == separator);
        if (!end)
            continue;
        const QByteArrayView name = trimmed(list.sliced(start, i - start));
        if (!name.isEmpty())
            names.append(name);
        start = i + 1;
    }
    return names;
}

// Where the first IAC SE starts in bytes, -1 when there is none. Found from
// IAC to IAC: outside a subnegotiation text holds none at all.
qsizetype findIacSe(QByteArrayView bytes) {
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    for (const char* p = begin; p != end; ++p) {
        p = static_cast<const char*>(std::memchr(p, 0xFF, size_t(end - p)));
        if (!p)
            break;
        if (end - p > 1 && p[1] == '\xF0')
            return p - begin;
    }
    return -1;
}

bool sameName(QByteArrayView a, const char* b) {
    return QByteArrayView(a).compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}
} // namespace

int TelnetLayer::mttsBits(const TextSettings& settings) {
    int bits = MttsAnsi | Mtts256Colours | MttsTrueColour;
    if (settings.encoding != EncodingChoice::Cp1252)
        bits |= MttsUtf8;
    if (settings.tls)
        bits |= MttsSsl;
    if (settings.screenReader || (settings.screenReaderActive && settings.screenReaderActive()))
        bits |= MttsScreenReader;
    return bits;
}

TextEncoding TelnetLayer::initialEncoding(const TextSettings& settings) {
    return settings.encoding == EncodingChoice::Utf8 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
}

TelnetLayer::TelnetLayer(TelnetEvents& events) : m_events(events) {
    start();
}

TelnetLayer::~TelnetLayer() {
    stop();
}

void TelnetLayer::start() {
    // The library keeps the table, so it is one of two that live for good.
    m_telnet =
        telnet_init(m_settings.gmcp ? kOptions : kOptions + 1, &TelnetLayer::handler, 0, this);
}

void TelnetLayer::stop() {
    if (m_telnet && m_inLibrary)
        m_retired.append(m_telnet); // still running: freed when it returns
    else if (m_telnet)
        telnet_free(m_telnet);
    m_telnet = nullptr;
}

template <typename Call> void TelnetLayer::inLibrary(Call call) {
    if (m_inLibrary) {
        call();
        return;
    }
    m_inLibrary = true;
    call();
    m_inLibrary = false;
    for (telnet_t* old : std::as_const(m_retired))
        telnet_free(old);
    m_retired.clear();
}

void TelnetLayer::reset() {
    stop();
    m_interrupted = m_busy;
    m_input.clear();
    m_serverEcho = false;
    m_nawsOn = false;
    m_compressed = false;
    m_fedIac = false;
    m_failed = false;
    m_encoding = initialEncoding(m_settings);
    m_modern = false;
    m_gmcp = false;
    m_terminalTypesSent = 0;
    m_skippingSub = false;
    m_skipped = 0;
    m_parser = Parser::Data;
    m_subnegotiationLength = 0;
    start();
}

void TelnetLayer::setSettings(const TextSettings& settings) {
    m_settings = settings;
    reset();
}

void TelnetLayer::feed(const char* data, qsizetype size) {
    if (size <= 0 || !data)
        return;
    if (m_busy || m_inLibrary) {
        m_input.append(data, size); // read once the running call returns
        return;
    }
    m_busy = true;
    parse(QByteArrayView(data, size));
    while (!m_input.isEmpty()) {
        QByteArray chunk;
        chunk.swap(m_input);
        parse(chunk);
    }
    m_busy = false;
}

void TelnetLayer::readQueued() {
    if (m_busy || m_inLibrary || m_input.isEmpty())
        return;
    QByteArray bytes;
    bytes.swap(m_input);
    feed(bytes);
}

void TelnetLayer::recv(QByteArrayView bytes) {
    m_fedIac = !bytes.isEmpty() && bytes.back() == '\xFF';
    inLibrary([&] { telnet_recv(m_telnet, bytes.data(), size_t(bytes.size())); });
}

void TelnetLayer::parse(QByteArrayView chunk) {
    m_interrupted = false;
    while (!chunk.isEmpty() && m_telnet && !m_failed && !m_interrupted) {
        if (m_parser != Parser::Lost) {
            if (m_parser == Parser::Data) {
                const void* iac = std::memchr(chunk.data(), 0xFF, size_t(chunk.size()));
                const qsizetype plain =
                    iac ? static_cast<const char*>(iac) - chunk.data() : chunk.size();
                if (plain > 0) {
                    received(chunk.first(plain)); // what the parser would pass on
                    chunk = chunk.sliced(plain);
                    continue;
                }
            }
            const qsizetype n = commandLength(chunk);
            recv(chunk.first(n));
            chunk = chunk.sliced(n);
            continue;
        }
        // The library drops whatever follows the end of a compressed stream in
        // the same call, so while inflating it gets one byte at a time (still
        // far faster than any game sends), and a chunk is cut after every IAC
        // SE, where compression may start, the reads' cut between the two
        // included. Cutting the stream anywhere is otherwise harmless.
        qsizetype n = 1;
        if (!m_compressed && !(m_fedIac && chunk.front() == '\xF0')) {
            const qsizetype se = findIacSe(chunk);
            n = se < 0 ? chunk.size() : se + 2;
        }
        recv(chunk.first(n));
        chunk = chunk.sliced(n);
    }
    m_interrupted = false;
}

qsizetype TelnetLayer::commandLength(QByteArrayView bytes) {
    // The parser's own steps, byte by byte, up to where it reads data again.
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char c = b[i];
        switch (m_parser) {
        case Parser::Data:
            if (c != TELNET_IAC)
                return i;
            m_parser = Parser::Iac;
            break;
        case Parser::Iac:
            if (c == TELNET_SB) {
                m_parser = Parser::SbOption;
            } else if (c == TELNET_WILL || c == TELNET_WONT || c == TELNET_DO || c == TELNET_DONT) {
                m_parser = Parser::Negotiation;
            } else {
                m_parser = Parser::Data; // IAC IAC (a data byte) or a command of its own
                return i + 1;
            }
            break;
        case Parser::Negotiation:
            m_parser = Parser::Data;
            return i + 1;
        case Parser::SbOption:
            m_parser = Parser::SbData;
            m_subnegotiationLength = 0;
            break;
        case Parser::SbData:
            if (c == TELNET_IAC) {
                m_parser = Parser::SbDataIac;
            } else if (++m_subnegotiationLength > kFollowedSubnegotiation) {
                m_parser = Parser::Lost;
                return i + 1;
            }
            break;
        case Parser::SbDataIac:
            if (c == TELNET_SE) {
                m_parser = Parser::Data;
                return i + 1;
            }
            if (c != TELNET_IAC || ++m_subnegotiationLength > kFollowedSubnegotiation) {
                m_parser = Parser::Lost; // a broken subnegotiation
                return i + 1;
            }
            m_parser = Parser::SbData;
            break;
        case Parser::Lost:
            return i;
        }
    }
    return bytes.size();
}

void TelnetLayer::received(QByteArrayView data) {
    if (!data.isEmpty() && !skipping(data))
        m_events.data(data);
}

void TelnetLayer::send(QByteArrayView bytes) {
    if (!m_telnet || bytes.isEmpty())
        return;
    inLibrary([&] { telnet_send(m_telnet, bytes.data(), size_t(bytes.size())); });
    readQueued();
}

bool TelnetLayer::sendGmcp(QByteArrayView payload) {
    if (!m_gmcp || !m_telnet)
        return false;
    inLibrary([&] {
        telnet_subnegotiation(m_telnet, GmcpMessage::kOption, payload.data(),
                              size_t(payload.size()));
    });
    readQueued();
    return true;
}

void TelnetLayer::introduceToGmcp() {
    const QJsonObject hello{{"client", "Varendor"}, {"version", VARENDOR_VERSION}};
    QJsonArray packages;
    for (const char* package : kGmcpPackages)
        packages.append(QLatin1String(package));
    for (const QByteArray& payload : {GmcpMessage::encode(u"Core.Hello", hello),
                                      GmcpMessage::encode(u"Core.Supports.Set", packages)})
        telnet_subnegotiation(m_telnet, GmcpMessage::kOption, payload.constData(),
                              size_t(payload.size()));
}

void TelnetLayer::setWindowSize(int cols, int rows) {
    cols = std::clamp(cols, 0, 0xFFFF);
    rows = std::clamp(rows, 0, 0xFFFF);
    if (cols == m_cols && rows == m_rows)
        return;
    m_cols = cols;
    m_rows = rows;
    if (m_nawsOn && m_telnet) {
        inLibrary([&] { sendWindowSize(); });
        readQueued();
    }
}

void TelnetLayer::sendWindowSize() {
    const char size[4] = {char(m_cols >> 8), char(m_cols & 0xFF), char(m_rows >> 8),
                          char(m_rows & 0xFF)};
    telnet_subnegotiation(m_telnet, TELNET_TELOPT_NAWS, size, sizeof size);
}

void TelnetLayer::handler(telnet_t* telnet, telnet_event_t* ev, void* self) {
    auto* layer = static_cast<TelnetLayer*>(self);
    if (telnet == layer->m_telnet) // not a parser retired by reset() in one of its events
        layer->handle(ev);
}

void TelnetLayer::handle(telnet_event_t* ev) {
    switch (ev->type) {
    case TELNET_EV_DATA:
        received(QByteArrayView(ev->data.buffer, qsizetype(ev->data.size)));
        break;
    case TELNET_EV_SEND:
        if (refusesOffer(QByteArrayView(ev->data.buffer, qsizetype(ev->data.size))))
            markModern();
        if (ev->data.size > 0)
            m_events.send(QByteArrayView(ev->data.buffer, qsizetype(ev->data.size)));
        break;
    case TELNET_EV_IAC:
        if (ev->iac.cmd == TELNET_GA || ev->iac.cmd == TELNET_EOR)
            m_events.promptMark();
        else if (ev->iac.cmd == TELNET_SE)
            m_skippingSub = false; // the end of a subnegotiation too long to hold
        break;
    case TELNET_EV_WILL:
        if (ev->neg.telopt != TELNET_TELOPT_ECHO)
            markModern();
        if (ev->neg.telopt == TELNET_TELOPT_ECHO && !m_serverEcho) {
            m_serverEcho = true;
            m_events.serverEchoChanged(true);
        }
        // Only once agreed: the parser tells a WILL only when it enables the option.
        if (ev->neg.telopt == GmcpMessage::kOption && !m_gmcp) {
            m_gmcp = true;
            introduceToGmcp();
        }
        break;
    case TELNET_EV_WONT:
        if (ev->neg.telopt == TELNET_TELOPT_ECHO && m_serverEcho) {
            m_serverEcho = false;
            m_events.serverEchoChanged(false);
        }
        if (ev->neg.telopt == GmcpMessage::kOption)
            m_gmcp = false;
        break;
    case TELNET_EV_DO:
        if (ev->neg.telopt != TELNET_TELOPT_ECHO)
            markModern();
        if (ev->neg.telopt == TELNET_TELOPT_NAWS) {
            m_nawsOn = true;
            sendWindowSize();
        }
        break;
    case TELNET_EV_DONT:
        if (ev->neg.telopt == TELNET_TELOPT_NAWS)
            m_nawsOn = false;
        if (ev->neg.telopt == TELNET_TELOPT_TTYPE)
            m_terminalTypesSent = 0; // asked again later, the cycle starts over
        break;
    case TELNET_EV_TTYPE:
        if (ev->ttype.cmd == TELNET_TTYPE_SEND) {
            markModern();
            sendTerminalType();
        }
        break;
    case TELNET_EV_SUBNEGOTIATION:
        if (ev->sub.telopt == kCharset)
            handleCharset(QByteArrayView(ev->sub.buffer, qsizetype(ev->sub.size)));
        // A message the server sends without having agreed is not read.
        else if (ev->sub.telopt == GmcpMessage::kOption && m_gmcp)
            m_events.gmcp(QByteArrayView(ev->sub.buffer, qsizetype(ev->sub.size)));
        break;
    case TELNET_EV_WARNING:
        m_parser = Parser::Lost; // it may have changed its state on its own
        // The parser gave up holding an overlong subnegotiation and would
        // read the rest of it as text: skip that up to its IAC SE. Only the
        // message tells it: libtelnet 0.21 never sets the error code of an
        // event, so that field holds stack garbage and is never read.
        if (ev->error.msg && std::strstr(ev->error.msg, "buffer size limit")) {
            m_skippingSub = true;
            m_skipped = 0;
        }
        break;
    case TELNET_EV_COMPRESS:
        m_parser = Parser::Lost; // what it inflates is not seen here
        m_compressed = ev->compress.state != 0;
        break;
    case TELNET_EV_ERROR:
        // Only a broken compressed stream or a lack of memory get here: what
        // follows cannot be read any more.
        m_failed = true;
        m_parser = Parser::Lost;
        m_compressed = false;
        m_events.error(QString::fromUtf8(ev->error.msg ? ev->error.msg : "telnet error"));
        break;
    default:
        break;
    }
}

bool TelnetLayer::skipping(QByteArrayView data) {
    if (!m_skippingSub)
        return false;
    m_skipped += data.size();
    if (m_skipped <= kMaxSkippedSubnegotiation)
        return true;
    m_skippingSub = false; // no end in sight: this is text after all
    return false;
}

void TelnetLayer::sendTerminalType() {
    ++m_terminalTypesSent;
    if (m_terminalTypesSent == 1) {
        telnet_ttype_is(m_telnet, kTerminalType);
    } else if (m_terminalTypesSent == 2) {
        telnet_ttype_is(m_telnet, kTerminalEmulation);
    } else {
        m_terminalTypesSent = 3;
        const QByteArray mtts = "MTTS " + QByteArray::number(mttsBits(m_settings));
        telnet_ttype_is(m_telnet, mtts.constData());
    }
}

void TelnetLayer::markModern() {
    if (m_modern)
        return;
    m_modern = true;
    m_events.todaysServer();
}

void TelnetLayer::handleCharset(QByteArrayView sub) {
    if (sub.isEmpty())
        return;
    switch (sub.front()) {
    case kRequest:
        answerCharsetRequest(sub.sliced(1));
        break;
    case kTtableIs:
        sendCharset(kTtableRejected); // we take no translation tables
        break;
    default:
        // ACCEPTED or REJECTED answer a REQUEST of ours, and we send none;
        // the TTABLE acknowledgements answer tables we never send.
        break;
    }
}

void TelnetLayer::answerCharsetRequest(QByteArrayView list) {
    if (list.size() >= kTtable.size() &&
        list.first(kTtable.size()).compare(kTtable, Qt::CaseInsensitive) == 0)
        list = list.sliced(qMin(list.size(), kTtable.size() + 1)); // and its version byte
    const bool cp1252 = m_settings.encoding == EncodingChoice::Cp1252;
    for (const QByteArrayView name : charsetNames(list)) {
        const bool wanted = cp1252 ? sameName(name, "WINDOWS-1252") || sameName(name, "CP1252")
                                   : sameName(name, "UTF-8") || sameName(name, "UTF8");
        if (!wanted)
            continue;
        sendCharset(kAccepted, name);
        const TextEncoding now = cp1252 ? TextEncoding::Cp1252 : TextEncoding::Utf8;
        if (now != m_encoding) {
            m_encoding = now;
            m_events.encodingChanged(now);
        }
        return;
    }
    sendCharset(kRejected);
}

void TelnetLayer::sendCharset(char command, QByteArrayView name) {
    const QByteArray sub = command + name.toByteArray();
    telnet_subnegotiation(m_telnet, kCharset, sub.constData(), size_t(sub.size()));
}
