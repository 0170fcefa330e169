#pragma once
// The one connection to the game server (the main window's Socket1): a TCP
// socket on the UI thread. It hands on the bytes of each read as they come;
// what they mean is the text path's business. Callers never wait on the
// network.
#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QTcpSocket;

class Connection : public QObject {
    Q_OBJECT
public:
    // Bytes read from the socket at a time; one received() per read.
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
    bool connectToServer(const QString& host, quint16 port);
    // Closes at once; emits nothing (not connectionLost).
    void close();
    // What arrives can no longer be understood: the connection is dropped at
    // once, without reading more, and reported as connectionLost.
    void abandon() { lose(false); }

    bool isConnected() const { return m_state == State::Connected; }
    bool isConnecting() const { return m_state == State::Connecting; }

    // Bytes for the server; dropped when not connected.
    void write(QByteArrayView bytes);

    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }

signals:
    void connected();
    void connectFailed();
    void connectionLost();
    // The bytes of one read: at most kReadSize, never empty. A handler may
    // close the connection; nothing more is then delivered.
    void received(const QByteArray& bytes);

private:
    enum class State { Idle, Connecting, Connected };

    void onConnected();
    void onReadyRead();
    void onSocketError();
    void onDisconnected();
    void fail();
    void lose(bool readRest);
    void readAvailable();
    void retireSocket(bool graceful);

    QTcpSocket* m_socket = nullptr;
    QTimer m_connectTimer;
    State m_state = State::Idle;
    unsigned m_generation = 0; // changes whenever a connection ends
};
