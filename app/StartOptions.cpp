#include "app/StartOptions.h"

namespace StartOptions {

namespace {

// Options QGuiApplication and QApplication take themselves, with one or two
// leading dashes; the first group is followed by a value.
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"),
    QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"),
    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),
    QStringLiteral("qwindowscreen"),
    QStringLiteral("display"),
    QStringLiteral("geometry"),
    QStringLiteral("session"),
    QStringLiteral("style"),
    QStringLiteral("stylesheet"),
    QStringLiteral("title"),
    QStringLiteral("name"),
    QStringLiteral("icon"),
    QStringLiteral("qmljsdebugger"),
};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                              QStringLiteral("nograb"), QStringLiteral("dograb"),
                              QStringLiteral("sync")};

QString bareName(const QString& option) {
    QString name = option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype eq = name.indexOf(QChar('='));
    return eq < 0 ? name : name.left(eq);
}

Parsed fail(const QString& error) {
    Parsed p;
    p.action = Action::Error;
    p.error = error;
    return p;
}

} // namespace

Parsed parse(const QStringList& arguments) {
    for (const QString& a : arguments) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return Parsed{Action::Help, {}, false, false, {}};
        if (a == QLatin1String("--version") || a == QLatin1String("-v"))
            return Parsed{Action::Version, {}, false, false, {}};
    }
    Parsed p;
    bool folderSeen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--cartella") || a.startsWith(QLatin1String("--cartella="))) {
            QString value;
            if (a.contains(QChar('=')))
                value = a.mid(a.indexOf(QChar('=')) + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            if (value.isEmpty())
                return fail(QStringLiteral("l'opzione --cartella vuole il nome di una cartella"));
            if (folderSeen)
                return fail(QStringLiteral("l'opzione --cartella è data più di una volta"));
            folderSeen = true;
            p.folder = value;
        } else if (a == QLatin1String("--prova-avvio")) {
            p.startupCheck = true;
        } else if (a == QLatin1String("--mondo-di-prova")) {
            p.practiceWorld = true;
        } else if (a.startsWith(QLatin1String("-psn_"))) {
            // The process serial number older macOS Finders add.
        } else if (a.startsWith(QChar('-')) && a.size() > 1) {
            const QString name = bareName(a);
            if (kQtOptionsWithValue.contains(name)) {
                if (!a.contains(QChar('=')))
                    ++i; // its value follows
            } else if (!kQtFlags.contains(name)) {
                return fail(QStringLiteral("opzione sconosciuta: %1").arg(a));
            }
        } else {
            return fail(QStringLiteral("argomento inatteso: %1").arg(a));
        }
    }
    return p;
}

QString helpText(const QString& program, const QString& userFolder) {
    return QStringLiteral(
               "Uso: %1 [OPZIONI]\n"
               "Client per il gioco di ruolo testuale Varendor.\n"
               "\n"
               "Opzioni:\n"
               "  --cartella CARTELLA  tiene i file del giocatore (config.ini, trigger.txt,\n"
               "                       alias.txt, Log/, Note/, lo sfondo scelto) in CARTELLA,\n"
               "                       creandola se manca: una cartella per personaggio\n"
               "  --mondo-di-prova     entra subito nel mondo di prova su questo computer\n"
               "                       (localhost, porta 4000), avviandolo se serve, senza\n"
               "                       cambiare il server scritto in config.ini\n"
               "  --prova-avvio        avvia il programma, chiude da sé la finestra di\n"
               "                       presentazione ed esce appena la finestra principale è\n"
               "                       pronta (per le prove e per chi prepara i pacchetti)\n"
               "  -h, --help           mostra questo aiuto ed esce\n"
               "  -v, --version        mostra la versione ed esce\n"
               "\n"
               "Senza --cartella i file stanno accanto al programma se lì c'è un config.ini\n"
               "o il file varendor.portable (la cartella di compilazione ne ha uno);\n"
               "altrimenti nella cartella dei dati dell'utente:\n"
               "  %2\n")
        .arg(program, userFolder);
}

QString versionText(const QString& version) {
    return QStringLiteral("Varendor versione %1\n").arg(version);
}

QString errorHint(const QString& program) {
    return QStringLiteral("Usare \"%1 --help\" per l'elenco delle opzioni.\n").arg(program);
}

} // namespace StartOptions
