#include "session/Connection.h"

#include <QTcpSocket>

Connection::Connection(QObject* parent) : QObject(parent) {
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kDefaultConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Connecting)
            fail();
    });
}

Connection::~Connection() {
    ++m_generation;
    m_state = State::Idle;
    retireSocket(false);
}

bool Connection::connectToServer(const QString& host, quint16 port) {
    const QString name = host.trimmed();
    if (name.isEmpty() || port == 0)
        return false;
    if (m_state != State::Idle)
        close();

    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(kReadBufferSize);
    connect(m_socket, &QTcpSocket::connected, this, &Connection::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &Connection::onDisconnected);
    // Queued: a failure found while the request is being issued still reaches
    // the caller as a signal after connectToServer has returned true.
    connect(
        m_socket, &QTcpSocket::errorOccurred, this,
        [this, socket = m_socket, generation = m_generation] {
            if (socket == m_socket && generation == m_generation)
                onSocketError();
        },
        Qt::QueuedConnection);
    m_state = State::Connecting;
    m_connectTimer.start();
    m_socket->connectToHost(name, port);
    return true;
}

void Connection::close() {
    if (m_state == State::Idle)
        return;
    m_connectTimer.stop();
    m_state = State::Idle;
    ++m_generation;
    // Lets the last command written (a farewell, say) still reach the server.
    retireSocket(true);
}

void Connection::write(QByteArrayView bytes) {
    if (m_state != State::Connected || bytes.isEmpty() || !m_socket)
        return;
    m_socket->write(bytes.data(), bytes.size());
}

void Connection::onConnected() {
    if (m_state != State::Connecting)
        return;
    m_connectTimer.stop();
    m_state = State::Connected;
    // Commands are short lines the player waits on.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    emit connected();
}

void Connection::onReadyRead() {
    if (m_state == State::Connected)
        readAvailable();
}

void Connection::onSocketError() {
    if (!m_socket)
        return;
    if (m_state == State::Connecting)
        fail();
    else if (m_state == State::Connected && m_socket->state() != QAbstractSocket::ConnectedState)
        lose(true);
}

void Connection::onDisconnected() {
    lose(true);
}

void Connection::fail() {
    m_connectTimer.stop();
    m_state = State::Idle;
    ++m_generation;
    retireSocket(false);
    emit connectFailed();
}

void Connection::lose(bool readRest) {
    if (m_state != State::Connected)
        return;
    if (readRest) {
        // Whatever the server sent before hanging up is still shown.
        const QPointer<Connection> self(this);
        readAvailable();
        if (!self || m_state != State::Connected)
            return;
    }
    m_state = State::Idle;
    ++m_generation;
    retireSocket(false);
    emit connectionLost();
}

void Connection::readAvailable() {
    const QPointer<Connection> self(this);
    const unsigned generation = m_generation;
    char buffer[kReadSize];
    while (m_socket && m_state == State::Connected && m_socket->bytesAvailable() > 0) {
        const qint64 n = m_socket->read(buffer, kReadSize);
        if (n <= 0)
            break;
        emit received(QByteArray(buffer, n));
        if (!self || generation != m_generation)
            return;
    }
}

void Connection::retireSocket(bool graceful) {
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    if (!socket)
        return;
    socket->disconnect(this);
    if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // A peer that never takes the last bytes does not keep the socket forever.
        QTimer::singleShot(5000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
        if (socket->state() == QAbstractSocket::UnconnectedState)
            socket->deleteLater();
        return;
    }
    socket->abort();
    socket->deleteLater();
}
