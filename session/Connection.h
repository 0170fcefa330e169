#pragma once
// The one connection to the game server (the main window's Socket1): a TCP
// socket on the UI thread with the telnet layer and the text encoding on top.
// Callers get clean decoded text and never wait on the network.
#include "session/TelnetLayer.h"
#include "session/TextCodec.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTcpSocket;

class Connection : public QObject {
    Q_OBJECT
public:
    // Bytes read from the socket at a time; one textReceived per read.
    static constexpr qsizetype kReadSize = 2048;
    // Most bytes the socket holds unread. A flooding server is then taken a
    // little at a time: the window answers input between reads and the
    // socket never buffers megabytes.
    static constexpr qsizetype kReadBufferSize = 64 * kReadSize;
    static constexpr int kDefaultConnectTimeoutMs = 15000;

    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    // Starts connecting; false only when the request cannot even be issued
    // (no host, port 0). Afterwards the outcome comes as connected() or
    // connectFailed(). A connection already open is closed first.
    bool connectToServer(const QString& host, quint16 port, const TelnetSettings& settings = {});
    // Closes at once; emits nothing (not connectionLost).
    void close();

    bool isConnected() const { return m_state == State::Connected; }
    bool isConnecting() const { return m_state == State::Connecting; }
    bool serverEchoes() const { return m_telnet.serverEchoes(); }
    TextEncoding encoding() const { return m_codec.encoding(); }

    // Display size in characters, told to servers that ask for it.
    void setWindowSize(int cols, int rows);
    // Text for the server in the game's code page; dropped when not connected.
    void write(const QString& text);

    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }

signals:
    void connected();
    void connectFailed();
    void connectionLost();
    // At most kReadSize characters each; never empty.
    void textReceived(const QString& chunk);
    void serverEchoChanged(bool on);
    void promptMarked();

private:
    enum class State { Idle, Connecting, Connected };

    void onConnected();
    void onReadyRead();
    void onSocketError();
    void onDisconnected();
    void fail();
    void lose(bool readRest);
    void readAvailable();
    bool flushText();
    void endEcho();
    void retireSocket(bool graceful);

    QTcpSocket* m_socket = nullptr;
    TelnetLayer m_telnet;
    QTimer m_connectTimer;
    State m_state = State::Idle;
    unsigned m_generation = 0; // changes whenever a connection ends
    QByteArray m_text;         // received text waiting to be emitted
    TextCodec m_codec;
};
