#pragma once
// The one connection to the game server (the main window's Socket1): a TCP
// socket on the UI thread, encrypted with TLS when asked. It hands on the
// bytes of each read as they come; what they mean is the text path's
// business. Callers never wait on the network.
#include "session/TlsTrust.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

class QTcpSocket;

class Connection : public QObject {
    Q_OBJECT
public:
    // Bytes read from the socket at a time; one received() per read. Larger
    // reads cost less per byte (every read runs through the session and the
    // text path once); the text path still works in chunks of its own.
    static constexpr qsizetype kReadSize = 8192;
    // Most bytes the socket holds unread. A flooding server is then taken a
    // little at a time: the window answers input between reads and the
    // socket never buffers megabytes.
    static constexpr qsizetype kReadBufferSize = 16 * kReadSize;
    static constexpr int kDefaultConnectTimeoutMs = 15000;

    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    // Starts connecting; false only when the request cannot even be issued
    // (no host, port 0). Afterwards the outcome comes as connected() or
    // connectFailed(). A connection already open is closed first. With tls
    // the connection is encrypted; a certificate the system does not vouch
    // for and trust() does not know raises certificateQuestion(), and
    // without anyone to answer it the connection fails.
    bool connectToServer(const QString& host, quint16 port, bool tls = false);
    // Closes at once; emits nothing (not connectionLost).
    void close();
    // What arrives can no longer be understood: the connection is dropped at
    // once, without reading more, and reported as connectionLost.
    void abandon() { lose(false); }

    bool isConnected() const { return m_state == State::Connected; }
    bool isConnecting() const { return m_state == State::Connecting; }
    bool isEncrypted() const { return m_tls && m_state == State::Connected; }

    // Certificates accepted for good; the window gives it its store.
    TlsTrust& trust() { return m_trust; }
    // The player's answer to the open certificateQuestion; ignored when none
    // is open (the connection ended meanwhile).
    void answerCertificate(CertificateAnswer answer);

    // Bytes for the server; dropped when not connected.
    void write(QByteArrayView bytes);

    void setConnectTimeout(int ms) { m_connectTimer.setInterval(ms); }

    // After a connectFailed() with an empty reason: why nobody answered, in
    // one Italian line naming the host and port tried.
    const QString& noAnswer() const { return m_noAnswer; }

signals:
    void connected();
    // reason is empty when no server answered at all; otherwise it says, in
    // Italian, why the secure connection did not come about.
    void connectFailed(const QString& reason);
    // The certificate needs the player's word; answer with answerCertificate(),
    // now or later. Nothing reaches the server or the display until then.
    void certificateQuestion(const CertificateQuestion& question);
    void connectionLost();
    // The bytes of one read: at most kReadSize, never empty. A handler may
    // close the connection; nothing more is then delivered.
    void received(const QByteArray& bytes);

private:
    enum class State { Idle, Connecting, Connected };

    void onConnected();
    void onEncrypted();
    void onReadyRead();
    void onSocketError();
    void onDisconnected();
    void fail(const QString& reason = QString());
    QString failureReason();
    void lose(bool readRest);
    void readAvailable();
    void retireSocket(bool graceful);

    QTcpSocket* m_socket = nullptr;
    QTimer m_connectTimer;
    State m_state = State::Idle;
    unsigned m_generation = 0; // changes whenever a connection ends
    TlsTrust m_trust;
    bool m_tls = false;
    bool m_tcpUp = false; // the TLS handshake has begun
    QString m_host;
    quint16 m_port = 0;
    std::optional<CertificateQuestion> m_question;
    QString m_noAnswer;
};
