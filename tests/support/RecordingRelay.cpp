#include "support/RecordingRelay.h"

RecordingRelay::RecordingRelay(quint16 serverPort, QObject* parent)
    : QObject(parent), m_serverPort(serverPort) {
    m_listener.listen(QHostAddress::LocalHost, 0);
    connect(&m_listener, &QTcpServer::newConnection, this, &RecordingRelay::onClient);
}

// Sockets closing as they are destroyed must not call back into a relay that
// is going away.
RecordingRelay::~RecordingRelay() {
    for (QTcpSocket* socket : findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        socket->abort();
    }
}

void RecordingRelay::onClient() {
    QTcpSocket* client = m_listener.nextPendingConnection();
    if (!client)
        return;
    client->setParent(this); // every socket is the relay's: see the destructor
    if (m_client || m_server) {
        client->abort();
        client->deleteLater();
        return;
    }
    m_client = client;
    m_server = new QTcpSocket(this);
    QPointer<QTcpSocket> c = client;
    QPointer<QTcpSocket> s = m_server.data();
    // Bytes the client sends before the server side is up wait in the client
    // socket's buffer and are forwarded once connected.
    connect(s, &QTcpSocket::connected, this, [=, this] { forward(c, s, fromClient); });
    connect(c, &QTcpSocket::readyRead, this, [=, this] {
        if (s && s->state() == QAbstractSocket::ConnectedState)
            forward(c, s, fromClient);
    });
    connect(s, &QTcpSocket::readyRead, this, [=, this] { forward(s, c, fromServer); });
    // A hang-up on either side is passed on after what is still in flight.
    auto hangUp = [this](QPointer<QTcpSocket> gone, QPointer<QTcpSocket> other,
                         QByteArray& record) {
        forward(gone, other, record);
        if (other && other->state() != QAbstractSocket::UnconnectedState)
            other->disconnectFromHost();
        if (gone)
            gone->deleteLater();
    };
    connect(c, &QTcpSocket::disconnected, this, [=, this] { hangUp(c, s, fromClient); });
    connect(s, &QTcpSocket::disconnected, this, [=, this] { hangUp(s, c, fromServer); });
    // The server refused: the client is hung up on.
    connect(s, &QTcpSocket::errorOccurred, this, [=](QAbstractSocket::SocketError) {
        if (s && s->state() == QAbstractSocket::UnconnectedState) {
            s->deleteLater();
            if (c)
                c->disconnectFromHost();
        }
    });
    s->connectToHost(QHostAddress::LocalHost, m_serverPort);
}

void RecordingRelay::forward(QTcpSocket* from, QTcpSocket* to, QByteArray& record) {
    if (!from || !from->isOpen())
        return;
    const QByteArray bytes = from->readAll();
    if (bytes.isEmpty())
        return;
    record += bytes;
    if (to && to->state() == QAbstractSocket::ConnectedState)
        to->write(bytes);
}
