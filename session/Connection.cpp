#include "session/Connection.h"

#include <QTcpSocket>

Connection::Connection(QObject* parent) : QObject(parent) {
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kDefaultConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Connecting)
            fail();
    });

    m_telnet.onData = [this](QByteArrayView bytes) { m_text += bytes; };
    m_telnet.onSend = [this](QByteArrayView bytes) {
        if (m_socket && m_state == State::Connected)
            m_socket->write(bytes.data(), bytes.size());
    };
    m_telnet.onServerEchoChanged = [this](bool on) {
        // Text before the change (a password prompt) goes out first.
        if (flushText())
            emit serverEchoChanged(on);
    };
    m_telnet.onPromptMark = [this] {
        if (flushText())
            emit promptMarked();
    };
    m_telnet.onError = [this](const QString&) {
        if (flushText())
            lose(false);
    };
    m_telnet.onEncodingChanged = [this](TextEncoding encoding) {
        // The text before the change is still in the old encoding.
        if (flushText())
            m_codec.setEncoding(encoding);
    };
}

Connection::~Connection() {
    ++m_generation;
    m_state = State::Idle;
    retireSocket(false);
}

bool Connection::connectToServer(const QString& host, quint16 port,
                                 const TelnetSettings& settings) {
    const QString name = host.trimmed();
    if (name.isEmpty() || port == 0)
        return false;
    if (m_state != State::Idle)
        close();
    m_telnet.setSettings(settings);
    m_codec.reset(m_telnet.encoding());
    m_text.clear();

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
    m_text.clear();
    // Lets the last command written (a farewell, say) still reach the server.
    retireSocket(true);
    endEcho();
}

void Connection::setWindowSize(int cols, int rows) {
    // Kept across connections: the next server that asks is told at once.
    m_telnet.setWindowSize(cols, rows);
}

void Connection::write(const QString& text) {
    if (m_state != State::Connected || text.isEmpty())
        return;
    m_telnet.send(m_codec.encode(text));
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
    m_text.clear();
    retireSocket(false);
    const QPointer<Connection> self(this);
    const unsigned generation = m_generation;
    endEcho();
    if (self && generation == m_generation)
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
        m_telnet.feed(buffer, n);
        if (!self || generation != m_generation || !flushText())
            return;
    }
}

bool Connection::flushText() {
    if (m_text.isEmpty())
        return true;
    const QPointer<Connection> self(this);
    const unsigned generation = m_generation;
    QByteArray bytes;
    bytes.swap(m_text);
    // An inflated read can be longer than one read; chunks stay within it.
    // A UTF-8 character cut by the previous piece adds up to four characters.
    const qsizetype step = m_codec.encoding() == TextEncoding::Utf8 ? kReadSize - 4 : kReadSize;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        const qsizetype n = qMin(step, bytes.size() - at);
        const QString text = m_codec.decode(QByteArrayView(bytes).sliced(at, n));
        if (text.isEmpty())
            continue; // only the start of a character, completed by the next read
        emit textReceived(text);
        if (!self || generation != m_generation)
            return false;
    }
    return true;
}

void Connection::endEcho() {
    const bool echoed = m_telnet.serverEchoes();
    m_telnet.reset();
    if (echoed)
        emit serverEchoChanged(false);
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
