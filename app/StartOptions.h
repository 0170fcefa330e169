#pragma once
// The client's command line. It is read before any window system is touched,
// so that "--help" and "--version" work on a bare terminal. Qt's own options
// ("-style fusion", "-platform offscreen", ...) are passed over: QApplication
// reads them itself.
#include <QString>
#include <QStringList>

namespace StartOptions {

enum class Action { Start, Help, Version, Error };

struct Parsed {
    Action action = Action::Start;
    QString folder;             // --cartella: the player's folder, as given
    bool startupCheck = false;  // --prova-avvio: start, then leave by itself
    bool practiceWorld = false; // --mondo-di-prova: connect to it at once
    QString error;              // what was wrong, in Italian (Action::Error)
};

// arguments: the command line without the program name. "--help" or
// "--version" anywhere wins over the rest; the first fault is reported.
Parsed parse(const QStringList& arguments);

// What "--help" prints; program is the name the client was started with,
// userFolder the per-user folder the player's files go to by default.
QString helpText(const QString& program, const QString& userFolder);
// What "--version" prints.
QString versionText(const QString& version);
// The line that follows an error, pointing to "--help".
QString errorHint(const QString& program);

} // namespace StartOptions
