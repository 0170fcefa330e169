// The game's own server negotiates nothing but its password echo. Against
// such a server the client must behave exactly as it always has: the same
// bytes on the wire, the same display, the same log and the same files. The
// session below was played once by the client as it was before it learnt
// today's servers (UTF-8, CHARSET, MTTS, 256 colours, TLS), and what it did
// is kept in golden/; this test plays the session again and compares.
//
// VARENDOR_GOLDEN_OUT=DIR writes what this build does into DIR instead.
#if __has_include("client/FrmMain.h")
#include "client/FrmMain.h"
#else
#include "session/FrmMain.h"
#endif
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"

#include <QAction>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every line of the display with its coloured runs, one text line each.
QByteArray displayDump(const DisplayBuffer& buffer) {
    QByteArray out;
    for (int i = 0; i < buffer.lineCount(); ++i) {
        out += buffer.lineText(i).toUtf8() + '\n';
        for (const DisplayBuffer::Run& r : buffer.lineRuns(i))
            out += QStringLiteral("  %1+%2 #%3%4\n")
                       .arg(r.start)
                       .arg(r.length)
                       .arg(r.colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                       .arg(r.bold ? QStringLiteral(" bold") : QString())
                       .toUtf8();
    }
    return out;
}

// The banner's date and time are those of the run.
QByteArray withoutClock(QByteArray log) {
    static const QRegularExpression stamp(
        QStringLiteral("\\d\\d-\\d\\d-\\d\\d\\d\\d delle ore: \\d\\d:\\d\\d:\\d\\d"));
    return QString::fromLatin1(log)
        .replace(stamp, QStringLiteral("DATA delle ore: ORA"))
        .toLatin1();
}

} // namespace

class TestOldServer : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<FrmMain> window;

    QString shown() const { return window->display()->buffer().text(); }
    bool waitShown(const QString& text) {
        return QTest::qWaitFor([&] { return shown().contains(text); }, 5000);
    }
    void put(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void type(const QString& command) {
        QLineEdit* line = window->commandInput()->lineEdit();
        line->setText(command);
        QTest::keyClick(line, Qt::Key_Return);
    }
    void compareOrWrite(const QString& name, const QByteArray& actual) {
        const QByteArray out = qgetenv("VARENDOR_GOLDEN_OUT");
        if (!out.isEmpty()) {
            QFile f(QString::fromLocal8Bit(out) + '/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(actual);
            return;
        }
        const QString path = QFINDTESTDATA("golden/" + name);
        QVERIFY2(!path.isEmpty(), qPrintable(name));
        const QByteArray expected = readAll(path);
        if (actual != expected) {
            qsizetype i = 0;
            while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
                ++i;
            QFAIL(qPrintable(
                QStringLiteral("%1 differs at byte %2:\n  now: %3\n  was: %4")
                    .arg(name)
                    .arg(i)
                    .arg(QString::fromLatin1(
                             actual.mid(qMax<qsizetype>(0, i - 30), 80).toPercentEncoding(" \n")),
                         QString::fromLatin1(expected.mid(qMax<qsizetype>(0, i - 30), 80)
                                                 .toPercentEncoding(" \n")))));
        }
    }

private slots:
    void aSessionWithTheGamesOwnServer() {
        ScriptedServer server;
        put("config.ini",
            "[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" + QByteArray::number(server.port()) +
                "\r\n[BOTTONE 1]\r\nCAPTION=Nord\r\nAZIONE=nord<%>guarda\r\n"
                "STATO=Attivo\r\n");
        put("trigger.txt", "il tuo nome?<!>Varendo\xA7s\r\nun mago<!>saluta mago<%>\r\n");
        put("alias.txt", "gu<!>guarda\r\n");
        window = std::make_unique<FrmMain>(dir.path());
        window->endProcess = [] {};
        window->Form_Load();
        QTest::mouseClick(window->logSwitch(), Qt::LeftButton);
        QVERIFY(window->logSwitch()->isChecked());
        window->findChild<QAction*>("mnuConnetti")->trigger();
        QVERIFY(server.waitForClient());

        // Greeting, both pair orders, the name asked for: a trigger answers.
        server.send("\x1b[1;32mBenvenuto\x1b[0m a \x1b[33mVarendor\x1b[0m!\r\n\n\r"
                    "\x1b[1;34mIl tuo nome?\x1b[0m ");
        QVERIFY(server.waitForReceived("Varendo's\r\n"));
        // The password, hidden while the server echoes.
        server.send("Parola d'ordine: \xff\xfb\x01");
        QVERIFY(QTest::qWaitFor([&] { return window->commandInput()->serverEchoes(); }));
        type("segreto");
        QVERIFY(server.waitForReceived("segreto\r\n"));
        // Brightness within one read, the code page's own letters.
        server.send("\xff\xfc\x01\r\n\x1b[1;31mAttenzione:\x1b[32m verde\x1b[0m fine\r\n"
                    "Una piazza \x1b[36mcon \x93virgolette\x94\x1b[0m e \xe8 \x80 \xff\xff\r\n> ");
        QVERIFY(waitShown("> "));
        QTRY_VERIFY(!window->commandInput()->serverEchoes());
        type("gu");
        QVERIFY(server.waitForReceived("guarda\r\n"));
        // A screen clear, a parameterless sequence, a trigger with its echo.
        server.send("\x1b[35mUn mago\x1b[0m arriva.\r\n\x1b[2J\x1b[31mrosso\x1b[m di nuovo\r\n> ");
        QVERIFY(server.waitForReceived("saluta mago\r\n"));
        QVERIFY(waitShown("di nuovo"));
        // A bar button.
        QLabel* cell = window->findChild<QLabel*>(QStringLiteral("lblShp_1"));
        QVERIFY(cell);
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(server.waitForReceived("nord\r\nguarda\r\n"));
        // A colour sequence cut between two reads.
        server.send("Un \x1b[3");
        QTest::qWait(50);
        server.send("3mtesoro\x1b[0m splende.\r\n");
        QVERIFY(waitShown("splende."));
        // The farewell phrase ends the session.
        server.send("Adde parvum parvo magnus acervus erit\r\n");
        QVERIFY(QTest::qWaitFor([&] { return !window->isConnected(); }));
        QVERIFY(server.waitForClientGone());
        QTest::mouseClick(window->logSwitch(), Qt::LeftButton);
        QVERIFY(!window->logSwitch()->isChecked());

        compareOrWrite("oldserver-sent.bin", server.received);
        compareOrWrite("oldserver-display.txt", displayDump(window->display()->buffer()));
        const QString log = QDate::currentDate().toString(QStringLiteral("dd-MM-yyyy"));
        compareOrWrite("oldserver-log.txt",
                       withoutClock(readAll(dir.filePath("Log/" + log + ".txt"))));
        QVERIFY(!QFile::exists(dir.filePath("Log/" + log + "-utf8.txt")));
        // The server's port is the run's.
        const QByteArray ini = QString::fromLatin1(readAll(dir.filePath("config.ini")))
                                   .replace(QRegularExpression(QStringLiteral("PORTA=\\d+")),
                                            QStringLiteral("PORTA=N"))
                                   .toLatin1();
        compareOrWrite("oldserver-files.txt", readAll(dir.filePath("trigger.txt")) + "--\n" +
                                                  readAll(dir.filePath("alias.txt")) + "--\n" +
                                                  ini);
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestOldServer)
#include "tst_oldserver.moc"
