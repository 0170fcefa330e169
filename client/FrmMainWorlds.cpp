// The first start of a new player: no game server is set yet, so the
// window offers the practice world on this machine or the game's address.
#include "automation/ServerSettings.h"
#include "client/FrmMain.h"
#include "ui/Dialogs.h"

void FrmMain::offerWorlds() {
    if (hasServerHost(m_api))
        return;
    const QString title = QStringLiteral("Benvenuto");
    const int chosen = dialogs().choice(
        this,
        QStringLiteral("Non è ancora indicato il server del gioco.\n"
                       "Si può entrare nel mondo di prova, su questo computer, "
                       "oppure scrivere l'indirizzo del gioco."),
        {QStringLiteral("Mondo di prova"), QStringLiteral("Indirizzo del gioco...")}, 0,
        Msg::Question, title);
    QString host = QStringLiteral("localhost");
    quint16 port = serverPort(m_api);
    if (chosen == 1) {
        const QString typed = dialogs().textInput(
            this,
            QStringLiteral("Indirizzo del gioco (nome o numero; la porta dopo i due punti "
                           "se non è %1):")
                .arg(ServerSettings::kDefaultPort),
            QString(), title);
        if (typed.trimmed().isEmpty())
            return; // asked again at the next start
        if (!parseServerAddress(typed, &host, &port)) {
            msgBox(this,
                   QStringLiteral("Indirizzo non valido: %1\nSi può scriverlo in config.ini, "
                                  "sezione [SERVER], chiavi HOST e PORTA.")
                       .arg(typed.trimmed()),
                   Msg::Exclamation, title);
            return;
        }
    }
    if (!writeServer(m_api, host, port))
        msgBox(this,
               QStringLiteral("Impossibile scrivere il server in config.ini: vale solo per "
                              "questa volta."),
               Msg::Exclamation, title);
    // The player chose where to play: connect at once.
    ServerSettings server = readServerSettings(m_api);
    server.host = host;
    server.port = port;
    connectTo(server);
}

void FrmMain::enterPracticeWorld() {
    ServerSettings server;
    server.host = QStringLiteral("localhost");
    server.port = ServerSettings::kDefaultPort;
    connectTo(server);
}
