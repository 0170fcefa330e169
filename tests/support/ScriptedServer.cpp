#include "support/ScriptedServer.h"

#include <QDeadlineTimer>
#include <QTest>

ScriptedServer::ScriptedServer(QObject* parent) : QObject(parent) {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = m_server.nextPendingConnection()) {
            m_client = s;
            m_gone = false;
            connect(s, &QTcpSocket::readyRead, this, [this, s] {
                received += s->readAll();
                emit bytesReceived();
            });
            connect(s, &QTcpSocket::disconnected, this, [this] {
                m_gone = true;
                emit clientGone();
            });
            emit clientConnected();
        }
    });
}

bool ScriptedServer::waitForClient(int ms) {
    return QTest::qWaitFor([this] { return !m_client.isNull(); }, ms);
}

bool ScriptedServer::waitForReceived(const QByteArray& needle, int ms) {
    return QTest::qWaitFor([&] { return received.contains(needle); }, ms);
}

bool ScriptedServer::waitForClientGone(int ms) {
    return QTest::qWaitFor([this] { return m_gone || m_client.isNull(); }, ms);
}

void ScriptedServer::send(const QByteArray& bytes) {
    if (m_client) {
        m_client->write(bytes);
        m_client->flush();
    }
}

void ScriptedServer::closeClient() {
    if (m_client)
        m_client->disconnectFromHost();
}
