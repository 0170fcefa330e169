#pragma once
// The telnet protocol between the socket and the text path: strips telnet
// commands from received bytes, answers the server's negotiation, inflates a
// compressed stream and escapes what we send. No sockets here.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

struct telnet_t;
union telnet_event_t;

class TelnetLayer {
public:
    static constexpr const char* kTerminalType = "VARENDOR";

    TelnetLayer();
    ~TelnetLayer();
    TelnetLayer(const TelnetLayer&) = delete;
    TelnetLayer& operator=(const TelnetLayer&) = delete;

    // Callbacks run in the order the server's bytes asked for them, never from
    // inside the protocol parser, so they may call send() or reset() freely.
    std::function<void(QByteArrayView)> onData; // text, telnet commands removed
    std::function<void(QByteArrayView)> onSend; // bytes for the server
    std::function<void(bool)> onServerEchoChanged;
    std::function<void()> onPromptMark;          // GA or EOR after a prompt
    std::function<void(const QString&)> onError; // the stream cannot be read on

    // Bytes from the server, any split. A call made while callbacks of an
    // earlier call are running is queued and processed after them, in order.
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

    // Forgets all negotiation, for a new connection. Callbacks still pending
    // from the bytes fed so far are dropped.
    void reset();

private:
    struct Event {
        enum Kind { Data, Send, Echo, Prompt, Error } kind;
        QByteArray bytes;
        bool on = false;
    };

    static void handler(telnet_t* telnet, telnet_event_t* ev, void* self);
    void handle(telnet_event_t* ev);
    void parse(QByteArrayView chunk);
    void post(Event::Kind kind, QByteArrayView bytes = {}, bool on = false);
    void deliver(const Event& e);
    bool deliverQueued(); // false when a callback reset or destroyed the layer
    void sendWindowSize();
    void start();
    void stop();

    telnet_t* m_telnet = nullptr;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    unsigned m_generation = 0;
    bool m_parsing = false; // inside the library: its events are queued
    bool m_busy = false;    // a feed is delivering callbacks
    QByteArray m_input;     // bytes waiting for the parser
    QList<Event> m_events;
    bool m_serverEcho = false;
    bool m_nawsOn = false;
    bool m_compressed = false;
    bool m_failed = false; // after onError nothing more is read until reset()
    int m_cols = 80;
    int m_rows = 24;
};
