// A server floods the real main window: a thread sends 50 MB (or the MB given
// as the first argument) of coloured lines over loopback as fast as the
// window takes them. Prints throughput, the longest stall of the event loop
// (the largest gap between two ticks of a 1 ms timer) and the peak resident
// memory. With "oneline" as the second argument the flood holds no line
// break at all until its last line. Asserts nothing.
#include "client/FrmMain.h"
#include "session/Connection.h"
#include "session/GameDisplay.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QByteArray kEndLine = "\r\nFINE DEL DILUVIO\r\n";

qint64 statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QString status = QString::fromLatin1(f.readAll());
    const auto m = QRegularExpression(QString::fromLatin1(field) + QStringLiteral(":\\s*(\\d+) kB"))
                       .match(status);
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// Nobody is there to answer: the start-up screen is skipped, boxes say OK.
class SilentDialogs : public DialogHost {
public:
    int messageBox(QWidget*, const QString& text, int, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Msg::Ok;
    }
    QString fileDialog(FileDialogRequest&) override { return {}; }
    void runModal(QDialog*) override {}
};

// Sends a block of text the given number of times, then an end line, so the
// flood's bytes never sit in this process's memory all at once.
class FloodServer {
public:
    FloodServer(QByteArray block, int repeats) : m_block(std::move(block)), m_repeats(repeats) {
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
        if (m_client >= 0)
            ::shutdown(m_client, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        if (m_client >= 0)
            ::close(m_client);
        ::close(m_listen);
    }
    quint16 port() const { return m_port; }

private:
    void run() {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0)
            return;
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            return;
        m_client = fd;
        for (int i = 0; i <= m_repeats && !m_stop; ++i)
            if (!sendAll(fd, i < m_repeats ? m_block : kEndLine))
                return;
        char sink[256];
        while (!m_stop && ::recv(fd, sink, sizeof sink, 0) > 0) {
        }
    }

    bool sendAll(int fd, const QByteArray& bytes) {
        const char* d = bytes.constData();
        qint64 left = bytes.size();
        while (left > 0 && !m_stop) {
            const ssize_t n = ::send(fd, d, size_t(qMin<qint64>(left, 64 * 1024)), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            d += n;
            left -= n;
        }
        return true;
    }

    QByteArray m_block;
    int m_repeats;
    int m_listen = -1;
    std::atomic<int> m_client{-1};
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

QByteArray floodText(qint64 bytes, bool breaks) {
    QByteArray out;
    out.reserve(bytes + 128);
    for (int i = 0; out.size() < bytes; ++i)
        out += "\x1b[1;3" + QByteArray::number(1 + i % 7) + "mRiga " + QByteArray::number(i) +
               "\x1b[0m: un orco ti colpisce con una clava chiodata, perdi 3 punti." +
               (breaks ? "\r\n" : " ");
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 50;

    SilentDialogs silent;
    setDialogHost(&silent);
    const bool oneLine = argc > 2 && QByteArray(argv[2]) == "oneline";
    const QByteArray block = floodText(1024 * 1024, !oneLine);
    const qint64 total = block.size() * megabytes + kEndLine.size();
    FloodServer server(block, megabytes);
    QTemporaryDir dir;
    {
        QFile ini(dir.filePath(QStringLiteral("config.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" + QByteArray::number(server.port()) +
                  "\r\n");
    }
    FrmMain window(dir.path());
    window.endProcess = [] {};
    window.Form_Load();
    app.processEvents();
    const qint64 rssBefore = statusKb("VmRSS");

    qint64 processed = 0;
    QElapsedTimer clock;
    QObject::connect(window.connection(), &Connection::received, &window,
                     [&](const QByteArray& chunk) {
                         if (processed == 0)
                             clock.start();
                         processed += chunk.size();
                     });
    qint64 longestStallNs = 0;
    int ticks = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (processed > 0) {
            longestStallNs = qMax(longestStallNs, sinceTick.nsecsElapsed());
            ++ticks;
        }
        sinceTick.restart();
    });
    sinceTick.start();
    tick.start();

    QElapsedTimer limit;
    limit.start();
    window.ConnettiServer();
    const DisplayBuffer& shown = window.display()->buffer();
    while (limit.elapsed() < 600000) {
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (shown.lastLine() > 0 && shown.lineText(shown.lastLine() - 1) == "FINE DEL DILUVIO")
            break;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    tick.stop();
    const int lines = shown.lineCount();
    const int characters = shown.length();
    window.DisconnettiServer();

    std::printf("flood into the main window (offscreen, %d MB of coloured 80-byte %s)\n", megabytes,
                oneLine ? "pieces in one line" : "lines");
    std::printf("  received       %lld of %lld bytes\n", processed, total);
    std::printf("  time           %.2f s\n", seconds);
    std::printf("  throughput     %.2f MB/s\n", processed / 1048576.0 / seconds);
    std::printf("  longest stall  %.1f ms (1 ms timer, %d ticks)\n", longestStallNs / 1e6, ticks);
    std::printf("  display        %d lines, %d characters\n", lines, characters);
    std::printf("  memory         %lld kB resident before, %lld kB peak\n", rssBefore,
                statusKb("VmHWM"));
    setDialogHost(nullptr);
    return processed == total ? 0 : 1;
}
