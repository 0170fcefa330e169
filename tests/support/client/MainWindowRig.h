#pragma once
// The whole main window on a player's folder of its own (a folder inside a
// temporary one, so a test may also make it read-only), with dialogs answered
// by ScriptedDialogs. With a port, config.ini points the window at that
// loopback server. Header only: it builds into the programs that already
// link client/.
#include "client/FrmMain.h"
#include "client/PracticeWorld.h"
#include "commands/CommandInput.h"
#include "display/DisplayBuffer.h"
#include "display/GameDisplay.h"
#include "display/GaugeBar.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"
#include "support/TestFiles.h"

#include <QAction>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

struct MainWindowRig {
    QTemporaryDir top;
    QString folder = top.filePath("Varendor");
    ScriptedDialogs dialogs;
    std::unique_ptr<FrmMain> window;
    int ended = 0; // times the window ended the process

    // extraConfig follows the server's section in config.ini.
    explicit MainWindowRig(quint16 port = 0, const QByteArray& extraConfig = {}) {
        QDir().mkdir(folder);
        if (port)
            put(path("config.ini"), "[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=" +
                                        QByteArray::number(port) + "\r\n" + extraConfig);
    }
    ~MainWindowRig() {
        if (window && window->isConnected())
            window->DisconnettiServer();
    }
    MainWindowRig(const MainWindowRig&) = delete;
    MainWindowRig& operator=(const MainWindowRig&) = delete;

    QString path(const QString& name) const { return folder + '/' + name; }
    // The day's log as written so far (empty when there is none).
    QByteArray todaysLog() const {
        return get(path("Log/" + QDate::currentDate().toString("dd-MM-yyyy") + ".txt"));
    }

    // The window, made on first use; start-up has not run.
    FrmMain& make() {
        if (!window) {
            window = std::make_unique<FrmMain>(folder);
            window->endProcess = [this] { ++ended; };
            // No practice world is started unless a test asks for one.
            window->practiceWorld().setProgram(QString());
        }
        return *window;
    }
    // Start-up, as the program runs it.
    void load() { make().Form_Load(); }

    // Collegamento > Connetti, and the server's side of the connection made.
    bool connectTo(ScriptedServer& server) const {
        action("mnuConnetti")->trigger();
        return server.waitForClient();
    }

    QAction* action(const char* name) const { return window->findChild<QAction*>(name); }
    const DisplayBuffer& buffer() const { return window->display()->buffer(); }
    QString shown() const { return buffer().text(); }
    // The colour of the last occurrence of text, offset characters into it.
    QRgb colourOf(const QString& text, int offset = 0) const {
        return buffer().colourAt(int(shown().lastIndexOf(text)) + offset);
    }
    bool waitShown(const QString& text, int ms = 10000) const {
        return QTest::qWaitFor([&] { return shown().contains(text); }, ms);
    }
    QLineEdit* input() const { return window->commandInput()->lineEdit(); }
    // A command typed into the input line and sent with Return.
    void type(const QString& command) const {
        input()->setText(command);
        QTest::keyClick(input(), Qt::Key_Return);
    }

    // The drawn pair and the menus agree on the connection's state.
    bool connectedState() const {
        return window->disconnectButton().Attivo() && !window->connectButton().Attivo() &&
               action("mnuDisconnetti")->isEnabled() && !action("mnuConnetti")->isEnabled();
    }
    bool disconnectedState() const {
        return !window->disconnectButton().Attivo() && window->connectButton().Attivo() &&
               !action("mnuDisconnetti")->isEnabled() && action("mnuConnetti")->isEnabled();
    }
    // A click on the cell over drawn button n (1 to 8 the bar, 9 and 10 the pair).
    void clickCell(int n) const {
        QLabel* cell = window->findChild<QLabel*>(QStringLiteral("lblShp_%1").arg(n));
        QVERIFY(cell);
        QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(5, 5));
    }
    // Opens a tool window from the menu and hands it to drive.
    void open(const char* menu, const std::function<void(QDialog*)>& drive) {
        bool ran = false;
        dialogs.onModal = [&](QDialog* d) {
            ran = true;
            drive(d);
        };
        action(menu)->trigger();
        dialogs.onModal = nullptr;
        QVERIFY2(ran, menu);
    }
    // The figures of the health, mana and moves gauges, "-" for a hidden one.
    QString gaugeFigures() const {
        QStringList out;
        for (const QString& name : {GaugeBar::kHealth, GaugeBar::kMana, GaugeBar::kMoves}) {
            const Gauge* g = window->gauges()->gauge(name);
            out << (g->isVisible() ? g->figures() : QStringLiteral("-"));
        }
        return out.join(u' ');
    }
    QStringList messageTexts() const {
        QStringList out;
        for (const RecordedMessage& m : dialogs.messages)
            out << m.text;
        return out;
    }
};
