// varendor-practice-server [--port N]: the practice world on 127.0.0.1.
#include "practice_server/PracticeServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varendor-practice-server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mondo di prova di Varendor."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("Porta di ascolto (0 = una libera qualsiasi)."),
        QStringLiteral("N"), QString::number(PracticeServer::kDefaultPort));
    parser.addOption(portOption);
    parser.process(app);

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
