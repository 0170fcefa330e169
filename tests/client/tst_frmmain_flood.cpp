#include "client/FrmMain.h"
#include "commands/CommandInput.h"
#include "session/Connection.h"
#include "session/GameDisplay.h"
#include "support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A server on its own thread that sends its payload as fast as loopback takes
// it, so the window's event loop is really under pressure, then keeps the
// connection open until the test ends.
class FloodServer {
public:
    // hangUp: close the connection once everything is sent.
    explicit FloodServer(QByteArray payload, bool hangUp = false)
        : m_payload(std::move(payload)), m_hangUp(hangUp) {
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
    ~FloodServer() {
        m_stop = true;
        const int client = m_client.load();
        if (client >= 0)
            ::shutdown(client, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        if (client >= 0)
            ::close(client);
        ::close(m_listen);
    }
    quint16 port() const { return m_port; }
    qint64 sent() const { return m_sent; }

private:
    void run() {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return;
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            return;
        m_client = fd;
        const char* d = m_payload.constData();
        qint64 left = m_payload.size();
        while (left > 0 && !m_stop) {
            const ssize_t n = ::send(fd, d, size_t(qMin<qint64>(left, 64 * 1024)), MSG_NOSIGNAL);
            if (n <= 0)
                return;
            d += n;
            left -= n;
            m_sent += n;
        }
        if (m_hangUp) {
            ::shutdown(fd, SHUT_WR);
            return;
        }
        char sink[256];
        while (!m_stop && ::recv(fd, sink, sizeof sink, 0) > 0) {
        }
    }

    QByteArray m_payload;
    bool m_hangUp;
    int m_listen = -1;
    std::atomic<int> m_client{-1};
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_sent{0};
};

// Coloured lines of about 80 bytes, as a busy game sends them.
QByteArray floodText(qint64 bytes) {
    QByteArray out;
    out.reserve(bytes + 128);
    for (int i = 0; out.size() < bytes; ++i)
        out += "\x1b[1;3" + QByteArray::number(1 + i % 7) + "mRiga " + QByteArray::number(i) +
               "\x1b[0m: un orco ti colpisce con una clava chiodata, perdi 3 punti.\r\n";
    return out;
}

struct Window {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<FrmMain> w;

    explicit Window(quint16 port) {
        QFile ini(dir.filePath("config.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" + QByteArray::number(port) + "\r\n");
        ini.close();
        w = std::make_unique<FrmMain>(dir.path());
        w->endProcess = [] {};
        w->Form_Load();
    }
    ~Window() {
        if (w->isConnected())
            w->DisconnettiServer();
    }
    const DisplayBuffer& shown() const { return w->display()->buffer(); }
    QLineEdit* input() const { return w->commandInput()->lineEdit(); }
};

// Watches the event loop while text pours in: how much text was processed
// between two turns of the loop, and when a key posted at the first chunk
// reached the input line.
struct LoopWatch {
    qint64 processed = 0;
    qint64 atLastTick = 0;
    qint64 mostBetweenTicks = 0;
    qint64 atKey = -1;
    int ticks = 0;
    QTimer tick;

    explicit LoopWatch(Window& win) {
        QObject::connect(win.w->connection(), &Connection::received, &tick,
                         [this, &win](const QByteArray& chunk) {
                             if (processed == 0)
                                 QCoreApplication::postEvent(
                                     win.input(),
                                     new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier,
                                                   QStringLiteral("z")));
                             processed += chunk.size();
                         });
        QObject::connect(win.input(), &QLineEdit::textChanged, &tick, [this] {
            if (atKey < 0)
                atKey = processed;
        });
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [this] {
            ++ticks;
            mostBetweenTicks = qMax(mostBetweenTicks, processed - atLastTick);
            atLastTick = processed;
        });
        tick.start();
    }
};

} // namespace

// A server that sends far more than the display keeps: the window answers
// input while the text pours in, and what it holds stays within its limit.
class TestFrmMainFlood : public QObject {
    Q_OBJECT

private slots:
    void floodKeepsTheWindowAnswering() {
        const QByteArray payload = floodText(3 * 1024 * 1024) + "FINE DEL DILUVIO\r\n";
        FloodServer server(payload);
        QVERIFY(server.port());
        Window win(server.port());
        LoopWatch watch(win);
        QVERIFY(win.w->ConnettiServer());

        QVERIFY(QTest::qWaitFor(
            [&] {
                const DisplayBuffer& d = win.shown();
                return d.lastLine() > 0 && d.lineText(d.lastLine() - 1) == "FINE DEL DILUVIO";
            },
            120000));
        QCOMPARE(watch.processed, payload.size());
        // The key posted with the first chunk was handled long before the
        // last one, and no turn of the loop waited for more than a small part
        // of the flood.
        QCOMPARE(win.input()->text(), QString("z"));
        QVERIFY2(watch.atKey >= 0 && watch.atKey < watch.processed / 4,
                 qPrintable(QString::number(watch.atKey)));
        QVERIFY2(watch.mostBetweenTicks <= 512 * 1024,
                 qPrintable(QString::number(watch.mostBetweenTicks)));
        QVERIFY(watch.ticks > 10);

        // The display holds the newest 501 lines, whole and in order.
        const DisplayBuffer& d = win.shown();
        QCOMPARE(d.lineCount(), 501);
        QVERIFY(d.length() < 501 * 100);
        QCOMPARE(d.lineText(500), QString());
        QVERIFY(d.lineText(0).startsWith("Riga "));
        const int first = d.lineText(0).mid(5).section(':', 0, 0).toInt();
        QCOMPARE(d.lineText(498), QString("Riga %1: un orco ti colpisce con una clava chiodata, "
                                          "perdi 3 punti.")
                                      .arg(first + 498));
        QVERIFY(win.w->isConnected());
    }

    void longLineWithoutBreak() {
        // 1 MB in one line, split by the socket into many reads, logged whole
        // and shown whole; the next line starts on a line of its own.
        const QByteArray line = "inizio " + QByteArray(1024 * 1024, 'x') + " fine";
        FloodServer server("prima\r\n" + line + "\r\ndopo\r\n");
        QVERIFY(server.port());
        Window win(server.port());
        win.w->logSwitch()->click();
        LoopWatch watch(win);
        QVERIFY(win.w->ConnettiServer());
        QVERIFY(QTest::qWaitFor([&] { return win.shown().text().endsWith("dopo\n"); }, 60000));

        // Shown whole, in display lines of at most kMaxLineLength characters,
        // so the line limit bounds memory even for a line without end.
        const DisplayBuffer& d = win.shown();
        const int pieces =
            int((line.size() + DisplayBuffer::kMaxLineLength - 1) / DisplayBuffer::kMaxLineLength);
        const int first = d.lineCount() - 2 - pieces;
        QCOMPARE(d.lineText(first - 1), QString("prima"));
        QString joined;
        for (int i = first; i < first + pieces; ++i) {
            QVERIFY(d.lineText(i).size() <= DisplayBuffer::kMaxLineLength);
            joined += d.lineText(i);
        }
        QVERIFY(joined == QString::fromLatin1(line));
        QCOMPARE(d.lineText(first + pieces), QString("dopo"));
        QCOMPARE(win.input()->text(), QString("z"));
        QVERIFY(watch.atKey < line.size() / 2);

        const QStringList logs = QDir(win.dir.filePath("Log")).entryList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        QFile log(win.dir.filePath("Log/" + logs.first()));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().endsWith("prima\r\n" + line + "\r\ndopo\r\n"));
        QVERIFY(win.dialogs.messages.isEmpty());
    }

    void everythingSentBeforeHangingUpIsShown() {
        // The server floods and closes at once: the window takes the text a
        // little at a time, yet shows all of it before the disconnect notice.
        const QByteArray payload = floodText(1024 * 1024) + "ultima riga\r\n";
        FloodServer server(payload, true);
        QVERIFY(server.port());
        Window win(server.port());
        LoopWatch watch(win);
        QVERIFY(win.w->ConnettiServer());
        QVERIFY(QTest::qWaitFor([&] { return !win.w->isConnected(); }, 60000));
        QCOMPARE(watch.processed, payload.size());
        QVERIFY(win.shown().text().endsWith("ultima riga\n\n\nDisconnesso da Varendor"));
        QCOMPARE(win.shown().lineCount(), 501 + 2);
    }
};

QTEST_MAIN(TestFrmMainFlood)
#include "tst_frmmain_flood.moc"
