#include "session/Connection.h"

#include "session/NoAnswer.h"

#include <QMetaMethod>
#include <QSslSocket>
#include <QTcpSocket>

Connection::Connection(QObject* parent) : QObject(parent) {
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(kDefaultConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        if (m_state != State::Connecting || m_question)
            return;
        if (!m_tcpUp)
            m_noAnswer =
                noAnswerLine(QAbstractSocket::SocketTimeoutError, true, m_host, m_port, {});
        fail(m_tcpUp ? TlsTrust::handshakeTimedOutMessage() : QString());
    });
}

Connection::~Connection() {
    ++m_generation;
    m_state = State::Idle;
    retireSocket(false);
}

bool Connection::connectToServer(const QString& host, quint16 port, bool tls) {
    const QString name = host.trimmed();
    if (name.isEmpty() || port == 0)
        return false;
    if (m_state != State::Idle)
        close();
    m_tls = tls;
    m_tcpUp = false;
    m_host = name;
    m_port = port;
    m_question.reset();
    m_noAnswer.clear();

    if (m_tls && !QSslSocket::supportsSsl()) {
        m_state = State::Connecting;
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (generation == m_generation && m_state == State::Connecting)
                fail(TlsTrust::unsupportedMessage());
        });
        return true;
    }
    if (m_tls) {
        auto* ssl = new QSslSocket(this);
        // The system's verdict is taken once the handshake is done, so that
        // the player can be asked without holding the handshake up; until
        // then nothing is read or sent.
        connect(ssl, &QSslSocket::sslErrors, ssl, [ssl] { ssl->ignoreSslErrors(); });
        connect(ssl, &QSslSocket::connected, this, [this] { m_tcpUp = true; });
        connect(ssl, &QSslSocket::encrypted, this, &Connection::onEncrypted);
        m_socket = ssl;
    } else {
        m_socket = new QTcpSocket(this);
        connect(m_socket, &QTcpSocket::connected, this, &Connection::onConnected);
    }
    m_socket->setReadBufferSize(kReadBufferSize);
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
    if (auto* ssl = qobject_cast<QSslSocket*>(m_socket))
        ssl->connectToHostEncrypted(name, port);
    else
        m_socket->connectToHost(name, port);
    return true;
}

void Connection::onEncrypted() {
    auto* ssl = qobject_cast<QSslSocket*>(m_socket);
    if (m_state != State::Connecting || !ssl)
        return;
    const QSslCertificate certificate = ssl->peerCertificate();
    const QByteArray fingerprint =
        certificate.isNull() ? QByteArray() : certificate.digest(QCryptographicHash::Sha256);
    CertificateQuestion question;
    switch (m_trust.check(m_host, m_port, ssl->sslHandshakeErrors(), fingerprint, &question)) {
    case TlsTrust::Verdict::Trusted:
        onConnected();
        return;
    case TlsTrust::Verdict::Refuse:
        fail(TlsTrust::refusedMessage());
        return;
    case TlsTrust::Verdict::Ask:
        break;
    }
    // Nobody to ask means nobody to accept it.
    if (!isSignalConnected(QMetaMethod::fromSignal(&Connection::certificateQuestion))) {
        fail(TlsTrust::refusedMessage());
        return;
    }
    m_connectTimer.stop(); // the player takes the time he needs
    m_question = question;
    // Asked from the event loop, not from inside the socket's signal: the
    // window answers with a modal dialog, and the socket may end meanwhile.
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation == m_generation && m_question)
            emit certificateQuestion(*m_question);
    });
}

void Connection::answerCertificate(CertificateAnswer answer) {
    if (!m_question)
        return;
    const CertificateQuestion question = *m_question;
    m_question.reset();
    if (m_state != State::Connecting || !m_socket)
        return;
    if (m_trust.answer(question, answer))
        onConnected();
    else
        fail(TlsTrust::refusedMessage());
}

void Connection::close() {
    if (m_state == State::Idle)
        return;
    m_connectTimer.stop();
    m_state = State::Idle;
    m_question.reset();
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
    const QPointer<Connection> self(this);
    const unsigned generation = m_generation;
    emit connected();
    // A TLS server may have spoken while its certificate was being decided.
    if (self && generation == m_generation && m_socket && m_socket->bytesAvailable() > 0)
        readAvailable();
}

void Connection::onReadyRead() {
    if (m_state == State::Connected)
        readAvailable();
}

void Connection::onSocketError() {
    if (!m_socket)
        return;
    if (m_state == State::Connecting)
        fail(failureReason());
    else if (m_state == State::Connected && m_socket->state() != QAbstractSocket::ConnectedState)
        lose(true);
}

void Connection::onDisconnected() {
    lose(true);
}

QString Connection::failureReason() {
    if (m_question)
        return TlsTrust::closedWhileAskingMessage();
    if (m_tls && m_tcpUp)
        return TlsTrust::handshakeFailedMessage(m_socket ? m_socket->errorString() : QString());
    // Nobody answered: the same for plain and secure connections.
    if (m_socket)
        m_noAnswer =
            noAnswerLine(m_socket->error(), false, m_host, m_port, m_socket->errorString());
    return QString();
}

void Connection::fail(const QString& reason) {
    m_connectTimer.stop();
    m_state = State::Idle;
    m_question.reset();
    ++m_generation;
    retireSocket(false);
    emit connectFailed(reason);
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
