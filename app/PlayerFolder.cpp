#include "app/PlayerFolder.h"

#include "automation/ButtonConfig.h"
#include "automation/ServerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace PlayerFolder {

bool isPortable(const QString& programFolder) {
    const QDir dir(programFolder);
    return QFileInfo(dir.filePath(QStringLiteral("config.ini"))).isFile() ||
           QFileInfo::exists(dir.filePath(QString::fromLatin1(kPortableMarker)));
}

QString perUserFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

Choice choose(const QString& chosen, const QString& programFolder) {
    Choice c;
    if (!chosen.isEmpty()) {
        c.kind = Kind::Chosen;
        c.path = QDir::cleanPath(QDir::current().absoluteFilePath(chosen));
    } else if (isPortable(programFolder)) {
        c.kind = Kind::Portable;
        c.path = QDir::cleanPath(QDir(programFolder).absolutePath());
    } else {
        c.kind = Kind::PerUser;
        const QString folder = perUserFolder();
        // A relative answer (a broken environment) would land wherever the
        // program happens to be started: treat it as none.
        if (!folder.isEmpty() && QDir::isAbsolutePath(folder))
            c.path = QDir::cleanPath(folder);
    }
    return c;
}

namespace {

bool canCreateFiles(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".varendor-XXXXXX")));
    return probe.open(); // removed again when probe goes
}

// The server keys, the host left blank: the first start asks the player
// between the practice world and the game's address.
bool writeDefaultConfig(const QString& folder) {
    const Api api(folder);
    return WriteConfigValue(api, QStringLiteral("SERVER"), QStringLiteral("HOST"), QString()) &&
           WriteConfigValue(api, QStringLiteral("SERVER"), QStringLiteral("PORTA"),
                            QString::number(serverPort(api)));
}

} // namespace

bool prepare(const Choice& choice, QString* error) {
    auto failed = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (choice.path.isEmpty())
        return failed(QStringLiteral("Questo sistema non indica una cartella per i dati "
                                     "dell'utente. Indicare la cartella del giocatore con "
                                     "--cartella."));
    const QString shown = QDir::toNativeSeparators(choice.path);
    const QFileInfo info(choice.path);
    if (info.exists() && !info.isDir())
        return failed(QStringLiteral("%1 esiste ma non è una cartella: i file del giocatore "
                                     "non possono stare lì.")
                          .arg(shown));
    if (!info.exists() && !QDir().mkpath(choice.path))
        return failed(
            QStringLiteral("Impossibile creare la cartella del giocatore %1.").arg(shown));
    if (!canCreateFiles(choice.path))
        return failed(QStringLiteral("Nella cartella del giocatore %1 non si possono scrivere "
                                     "file: configurazione, trigger, alias, note e log non "
                                     "verrebbero salvati.")
                          .arg(shown));
    if (choice.kind != Kind::Portable &&
        !QFileInfo::exists(QDir(choice.path).filePath(QStringLiteral("config.ini"))) &&
        !writeDefaultConfig(choice.path))
        return failed(QStringLiteral("Impossibile scrivere config.ini nella cartella del "
                                     "giocatore %1.")
                          .arg(shown));
    return true;
}

} // namespace PlayerFolder
