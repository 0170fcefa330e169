#include "session/Connection.h"
#include "support/FloodServer.h"
#include "support/client/MainWindowRig.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

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

    explicit LoopWatch(MainWindowRig& win) {
        QObject::connect(win.window->connection(), &Connection::received, &tick,
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
        MainWindowRig win(server.port());
        win.load();
        LoopWatch watch(win);
        QVERIFY(win.window->ConnettiServer());

        QVERIFY(QTest::qWaitFor(
            [&] {
                const DisplayBuffer& d = win.buffer();
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
        const DisplayBuffer& d = win.buffer();
        QCOMPARE(d.lineCount(), 501);
        QVERIFY(d.length() < 501 * 100);
        QCOMPARE(d.lineText(500), QString());
        QVERIFY(d.lineText(0).startsWith("Riga "));
        const int first = d.lineText(0).mid(5).section(':', 0, 0).toInt();
        QCOMPARE(d.lineText(498), QString("Riga %1: un orco ti colpisce con una clava chiodata, "
                                          "perdi 3 punti.")
                                      .arg(first + 498));
        QVERIFY(win.window->isConnected());
    }

    void longLineWithoutBreak() {
        // 1 MB in one line, split by the socket into many reads, logged whole
        // and shown whole; the next line starts on a line of its own.
        const QByteArray line = "inizio " + QByteArray(1024 * 1024, 'x') + " fine";
        FloodServer server("prima\r\n" + line + "\r\ndopo\r\n");
        QVERIFY(server.port());
        MainWindowRig win(server.port());
        win.load();
        win.window->logSwitch()->click();
        LoopWatch watch(win);
        QVERIFY(win.window->ConnettiServer());
        QVERIFY(QTest::qWaitFor([&] { return win.shown().endsWith("dopo\n"); }, 60000));

        // Shown whole, in display lines of at most kMaxLineLength characters,
        // so the line limit bounds memory even for a line without end.
        const DisplayBuffer& d = win.buffer();
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

        const QStringList logs = QDir(win.path("Log")).entryList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        QFile log(win.path("Log/" + logs.first()));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().endsWith("prima\r\n" + line + "\r\ndopo\r\n"));
        QVERIFY(win.dialogs.messages.isEmpty());
    }

    void everythingSentBeforeHangingUpIsShown() {
        // The server floods and closes at once: the window takes the text a
        // little at a time, yet shows all of it before the disconnect notice.
        const QByteArray payload = floodText(1024 * 1024) + "ultima riga\r\n";
        FloodServer server(payload, 1, {}, FloodServer::AfterSending::HangUp);
        QVERIFY(server.port());
        MainWindowRig win(server.port());
        win.load();
        LoopWatch watch(win);
        QVERIFY(win.window->ConnettiServer());
        QVERIFY(QTest::qWaitFor([&] { return !win.window->isConnected(); }, 60000));
        QCOMPARE(watch.processed, payload.size());
        QVERIFY(win.shown().endsWith("ultima riga\n\n\nDisconnesso da Varendor"));
        QCOMPARE(win.buffer().lineCount(), 501 + 2);
    }
};

QTEST_MAIN(TestFrmMainFlood)
#include "tst_frmmain_flood.moc"
