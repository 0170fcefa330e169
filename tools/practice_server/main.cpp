// varendor-practice-server [--port N]: the practice world on 127.0.0.1.
#include "files/QtItalian.h"
#include "practice_server/PracticeServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varendor-practice-server"));
    // The help's headings and the network's errors in Italian too.
    installQtItalian(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mondo di prova di Varendor."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Mostra questo aiuto ed esce."));
    parser.addOption(helpOption);
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Porta di ascolto (0 = una libera qualsiasi)."),
        QStringLiteral("N"), QString::number(PracticeServer::kDefaultPort));
    parser.addOption(portOption);
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }

    bool ok = false;
    const uint port = parser.value(portOption).toUInt(&ok);
    if (!ok || port > 65535) {
        std::fprintf(stderr, "Porta non valida: %s\n", qPrintable(parser.value(portOption)));
        return 2;
    }
    PracticeServer server;
    if (!server.listen(quint16(port))) {
        std::fprintf(stderr, "Impossibile ascoltare sulla porta %u: %s\n", port,
                     qPrintable(server.errorString()));
        return 1;
    }
    // The chosen port on its own line, so a script can read it.
    std::printf("In ascolto su 127.0.0.1 porta %u\n", unsigned(server.port()));
    std::fflush(stdout);
    return app.exec();
}
