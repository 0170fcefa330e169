#pragma once
// A game server on a thread of its own that sends as fast as loopback takes
// it, so the receiving window's event loop is really under pressure. Plain
// sockets and a thread, no event loop: the flood tests and the flood
// benchmark both use it. One client.
#include <QByteArray>
#include <atomic>
#include <thread>

class FloodServer {
public:
    // What the server does once everything is sent: keep the connection
    // open (reading what the client sends) until it goes, or close it.
    enum class AfterSending { StayOpen, HangUp };

    // Sends block `repeats` times (a large flood is never whole in memory),
    // then tail.
    explicit FloodServer(QByteArray block, int repeats = 1, QByteArray tail = {},
                         AfterSending after = AfterSending::StayOpen);
    ~FloodServer();
    FloodServer(const FloodServer&) = delete;
    FloodServer& operator=(const FloodServer&) = delete;

    quint16 port() const { return m_port; } // 0: it could not listen

private:
    void run();
    bool sendAll(int fd, const QByteArray& bytes);

    QByteArray m_block;
    int m_repeats;
    QByteArray m_tail;
    AfterSending m_after;
    int m_listen = -1;
    std::atomic<int> m_client{-1};
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// Coloured lines of about 80 bytes, as a busy game sends them, up to `bytes`;
// without lineBreaks they run on in one line, joined by spaces.
QByteArray floodText(qint64 bytes, bool lineBreaks = true);
