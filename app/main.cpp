#include "app/PlayerFolder.h"
#include "app/StartOptions.h"
#include "app/StartupCheck.h"
#include "app/Terminal.h"
#include "client/FrmMain.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QIcon>

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

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varendor.Varendor"));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(Artwork::appIcon(size)));
    QApplication::setWindowIcon(icon);
    // The windows were designed with this face: prefer a narrow sans of the
    // same metrics, else the default sans.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QFont().defaultFamily()});

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
    if (options.startupCheck)
        StartupCheck::run([&window] { window.Form_Load(); });
    else
        window.Form_Load();
    return app.exec();
}
