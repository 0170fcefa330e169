#include "support/FloodServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

FloodServer::FloodServer(QByteArray block, int repeats, QByteArray tail, AfterSending after)
    : m_block(std::move(block)), m_repeats(repeats), m_tail(std::move(tail)), m_after(after) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), len) != 0 ||
        ::listen(m_listen, 1) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return;
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

FloodServer::~FloodServer() {
    m_stop = true;
    const int client = m_client.load();
    if (client >= 0)
        ::shutdown(client, SHUT_RDWR); // wakes the thread in send or recv
    if (m_thread.joinable())
        m_thread.join();
    if (client >= 0)
        ::close(client);
    ::close(m_listen);
}

void FloodServer::run() {
    pollfd p{m_listen, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0)
        return;
    const int fd = ::accept(m_listen, nullptr, nullptr);
    if (fd < 0)
        return;
    m_client = fd;
    for (int i = 0; i < m_repeats; ++i)
        if (!sendAll(fd, m_block))
            return;
    if (!sendAll(fd, m_tail))
        return;
    if (m_after == AfterSending::HangUp) {
        ::shutdown(fd, SHUT_WR);
        return;
    }
    char sink[256];
    while (!m_stop && ::recv(fd, sink, sizeof sink, 0) > 0) {
    }
}

bool FloodServer::sendAll(int fd, const QByteArray& bytes) {
    const char* d = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        if (m_stop)
            return false;
        const ssize_t n = ::send(fd, d, size_t(qMin<qint64>(left, 64 * 1024)), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        d += n;
        left -= n;
    }
    return true;
}

QByteArray floodText(qint64 bytes, bool lineBreaks) {
    QByteArray out;
    out.reserve(bytes + 128);
    for (int i = 0; out.size() < bytes; ++i)
        out += "\x1b[1;3" + QByteArray::number(1 + i % 7) + "mRiga " + QByteArray::number(i) +
               "\x1b[0m: un orco ti colpisce con una clava chiodata, perdi 3 punti." +
               (lineBreaks ? "\r\n" : " ");
    return out;
}
