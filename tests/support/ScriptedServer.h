#pragma once
// A game server on loopback for tests: listens on a free port, records every
// byte a client sends, and sends whatever the test tells it to.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

class ScriptedServer : public QObject {
    Q_OBJECT
public:
    explicit ScriptedServer(QObject* parent = nullptr);
    quint16 port() const { return m_server.serverPort(); }

    bool waitForClient(int ms = 5000);
    // Waits until the bytes received contain needle.
    bool waitForReceived(const QByteArray& needle, int ms = 5000);
    // Waits until the client has closed its side.
    bool waitForClientGone(int ms = 5000);

    void send(const QByteArray& bytes);
    void closeClient(); // the server hangs up
    void stopListening() { m_server.close(); }

    QByteArray received;
    QTcpSocket* client() const { return m_client; }

signals:
    void bytesReceived();
    void clientConnected();
    void clientGone();

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    bool m_gone = false;
};
