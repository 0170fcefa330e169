#pragma once
// A loopback relay between a client and a server that records every byte in
// both directions, so tests can read a real server's conversation with the
// client byte for byte. One client at a time.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class RecordingRelay : public QObject {
    Q_OBJECT
public:
    explicit RecordingRelay(quint16 serverPort, QObject* parent = nullptr);
    ~RecordingRelay() override;
    quint16 port() const { return m_listener.serverPort(); }

    QByteArray fromServer; // what the server sent, in order
    QByteArray fromClient; // what the client sent, in order

    // True once both sides of the last client's connection have closed.
    bool closed() const { return m_client.isNull() && m_server.isNull(); }

private:
    void onClient();
    void forward(QTcpSocket* from, QTcpSocket* to, QByteArray& record);

    quint16 m_serverPort;
    QTcpServer m_listener;
    QPointer<QTcpSocket> m_client;
    QPointer<QTcpSocket> m_server;
};
