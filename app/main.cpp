#include "app/PlayerFolder.h"
#include "app/StartOptions.h"
#include "app/StartupCheck.h"
#include "app/Terminal.h"
#include "client/ClientApplication.h"
#include "client/FrmMain.h"
#include "client/PracticeWorld.h"
#include "display/DisplayBuffer.h"
#include "display/GameDisplay.h"
#include "files/OneHeap.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Varendor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_STRING));

    // The command line is read before any window system is asked for, so
    // that help, version and mistakes are answered on a bare terminal too.
    const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StartOptions::Parsed options = StartOptions::parse(arguments);
    switch (options.action) {
    case StartOptions::Action::Help:
        Terminal::writeOut(StartOptions::helpText(program, PlayerFolder::perUserFolder()));
        return 0;
    case StartOptions::Action::Version:
        Terminal::writeOut(StartOptions::versionText(QCoreApplication::applicationVersion()));
        return 0;
    case StartOptions::Action::Error:
        Terminal::writeErr(program + QStringLiteral(": ") + options.error + QChar('\n') +
                           StartOptions::errorHint(program));
        return 2;
    case StartOptions::Action::Start:
        break;
    }

    useOneHeap();
    QApplication app(argc, argv);
    setUpClientApplication(app);

    const PlayerFolder::Choice folder =
        PlayerFolder::choose(options.folder, QCoreApplication::applicationDirPath());
    QString error;
    if (!PlayerFolder::prepare(folder, &error)) {
        // Nothing has been read or written: the player can fix the folder
        // (or choose another) and start again.
        Terminal::writeErr(program + QStringLiteral(": ") + error + QChar('\n'));
        if (!options.startupCheck)
            msgBox(nullptr,
                   error + QStringLiteral("\nIl programma si chiude senza cambiare nulla."),
                   Msg::Critical, QStringLiteral("Varendor"));
        return 1;
    }

    FrmMain window(folder.path);
    const auto startUp = [&window, &options] {
        window.Form_Load();
        if (options.practiceWorld)
            window.enterPracticeWorld();
        else
            window.offerWorlds();
    };
    if (!options.startupCheck) {
        startUp();
        return app.exec();
    }
    // A connection made at start-up (the practice world chosen) is waited
    // on until the server's first words, which are named too.
    const auto serverText = [&window] { return window.display()->buffer().text().trimmed(); };
    StartupCheck::run(
        startUp,
        [&] {
            return (window.isConnected() || window.practiceWorld().isStarting()) &&
                   serverText().isEmpty();
        },
        15000);
    int status = 0;
    if (window.isConnected() || !serverText().isEmpty()) {
        // Its first line of words (a banner may open with a rule of signs).
        QString first;
        for (const QString& line : serverText().split(QChar('\n')))
            if (std::any_of(line.cbegin(), line.cend(), [](QChar c) { return c.isLetter(); })) {
                first = line.trimmed();
                break;
            }
        Terminal::writeErr(first.isEmpty()
                               ? QStringLiteral("prova-avvio: il server non ha scritto nulla\n")
                               : QStringLiteral("prova-avvio: il server dice: %1\n").arg(first));
        status = first.isEmpty() ? 1 : 0;
        // Leaving asks nothing: the session ends here.
        if (window.isConnected())
            window.DisconnettiServer();
    }
    return std::max(app.exec(), status);
}
