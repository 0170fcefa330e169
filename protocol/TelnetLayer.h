#pragma once
// The telnet protocol between the socket and the text path: strips telnet
// commands from received bytes, answers the server's negotiation, inflates a
// compressed stream and escapes what we send. No sockets here.
//
// With a server of today it also agrees on the text encoding (CHARSET, RFC
// 2066) and tells what the client can show (the terminal type cycle: our
// name, a terminal, then "MTTS n" with the capability bits), and, unless the
// settings say no, agrees to the character's data beside the text (option
// 201): it introduces the client and the packages it takes, then hands each
// message on while the option stays agreed.
#include "protocol/TelnetEvents.h"
#include "protocol/TextCodec.h"
#include "protocol/TextSettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

struct telnet_t;
union telnet_event_t;

class TelnetLayer {
public:
    // The terminal type answers, in the order the server asks for them; the
    // last one is repeated after that.
    static constexpr const char* kTerminalType = "VARENDOR";
    static constexpr const char* kTerminalEmulation = "XTERM-256COLOR";
    // MTTS capability bits.
    enum Mtts : int {
        MttsAnsi = 1,
        MttsUtf8 = 4,
        Mtts256Colours = 8,
        MttsScreenReader = 64,
        MttsTrueColour = 256,
        MttsSsl = 2048,
    };
    static int mttsBits(const TextSettings& settings);
    // The encoding a connection starts in: UTF-8 only when CODIFICA says so.
    static TextEncoding initialEncoding(const TextSettings& settings);
    // A subnegotiation the protocol parser could not hold is skipped up to its
    // end, but no further than this: a server that never ends it loses no text.
    static constexpr qsizetype kMaxSkippedSubnegotiation = 64 * 1024;

    // The events go to events, which must outlive the layer.
    explicit TelnetLayer(TelnetEvents& events);
    ~TelnetLayer();
    TelnetLayer(const TelnetLayer&) = delete;
    TelnetLayer& operator=(const TelnetLayer&) = delete;

    // Bytes from the server, any split. A call made from an event of an
    // earlier call is queued and processed after it, in order.
    void feed(const char* data, qsizetype size);
    void feed(QByteArrayView bytes) { feed(bytes.data(), bytes.size()); }

    // Our text for the server; 0xFF is doubled.
    void send(QByteArrayView bytes);

    // Display size in characters; announced whenever the server agreed to hear it.
    void setWindowSize(int cols, int rows);
    int columns() const { return m_cols; }
    int rows() const { return m_rows; }

    bool serverEchoes() const { return m_serverEcho; }
    bool windowSizeAgreed() const { return m_nawsOn; }
    bool compressed() const { return m_compressed; }
    bool failed() const { return m_failed; }
    TextEncoding encoding() const { return m_encoding; }
    bool modernServer() const { return m_modern; }
    bool gmcpEnabled() const { return m_gmcp; }

    // A message (package, blank, body) for the server; false, and nothing
    // sent, unless the option is agreed.
    bool sendGmcp(QByteArrayView payload);

    // Settings for a new connection; forgets all negotiation, like reset().
    void setSettings(const TextSettings& settings);
    const TextSettings& settings() const { return m_settings; }

    // Forgets all negotiation, for a new connection. Called from an event,
    // the rest of the running feed is dropped.
    void reset();

private:
    // Where the protocol parser stands, followed from the bytes it was given:
    // while it reads plain data, the bytes up to the next IAC are data, so
    // they go out as such and only commands go through the parser. Lost (for
    // the rest of the connection) where the parser may part from this: an
    // overlong or broken subnegotiation, a warning, compression.
    enum class Parser : quint8 { Data, Iac, Negotiation, SbOption, SbData, SbDataIac, Lost };
    static constexpr qsizetype kFollowedSubnegotiation = 8192; // the parser holds 16384

    static void handler(telnet_t* telnet, telnet_event_t* ev, void* self);
    void handle(telnet_event_t* ev);
    void parse(QByteArrayView chunk);
    qsizetype commandLength(QByteArrayView bytes);
    void received(QByteArrayView data);
    void recv(QByteArrayView bytes);
    // Runs a call into the library; a parser retired meanwhile is freed after it.
    template <typename Call> void inLibrary(Call call);
    void readQueued(); // bytes fed from an event outside a feed
    void sendWindowSize();
    void sendTerminalType();
    void handleCharset(QByteArrayView sub);
    void answerCharsetRequest(QByteArrayView list);
    void sendCharset(char command, QByteArrayView name = {});
    void markModern();
    void introduceToGmcp();
    bool skipping(QByteArrayView data);
    void start();
    void stop();

    TelnetEvents& m_events;
    telnet_t* m_telnet = nullptr;
    bool m_busy = false;        // a feed is running: another one waits in m_input
    bool m_inLibrary = false;   // a parser running now must not be freed
    QList<telnet_t*> m_retired; // parsers reset() replaced while they ran
    bool m_interrupted = false; // reset() from an event: the running feed stops
    QByteArray m_input;         // bytes fed from an event, waiting for the parser
    bool m_serverEcho = false;
    bool m_nawsOn = false;
    bool m_compressed = false;
    bool m_fedIac = false; // the parser's last byte was an IAC: an SE may follow
    bool m_failed = false; // after an error nothing more is read until reset()
    int m_cols = 80;
    int m_rows = 24;
    TextSettings m_settings;
    TextEncoding m_encoding = TextEncoding::Cp1252;
    bool m_modern = false;
    bool m_gmcp = false; // the server will send option 201 and we agreed
    int m_terminalTypesSent = 0;
    bool m_skippingSub = false; // inside a subnegotiation too long to hold
    qsizetype m_skipped = 0;
    Parser m_parser = Parser::Data;
    qsizetype m_subnegotiationLength = 0;
};
