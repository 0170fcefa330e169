#pragma once
// Where the player's files live (config.ini, trigger.txt, alias.txt, Log/,
// Note/, the chosen background):
//   1. the folder given with --cartella, when there is one;
//   2. the program's own folder, when it holds a config.ini or the marker
//      file varendor.portable (the build writes one beside the program, and
//      a player can make any copy of the program portable the same way);
//   3. otherwise the per-user data folder, e.g. ~/.local/share/Varendor.
// An installed program has neither file beside it, so it never writes where
// it is installed.
#include <QString>

namespace PlayerFolder {

// The marker that keeps the player's files beside the program.
inline constexpr char kPortableMarker[] = "varendor.portable";

enum class Kind { Chosen, Portable, PerUser };

struct Choice {
    Kind kind = Kind::PerUser;
    QString path; // absolute, cleaned; empty when no per-user folder is known
};

// Applies the rule above. chosen: the --cartella value, relative to the
// current folder (empty when not given); programFolder: the executable's.
Choice choose(const QString& chosen, const QString& programFolder);

// True when programFolder holds config.ini or the portable marker.
bool isPortable(const QString& programFolder);

// The per-user data folder of this platform (the application name must be
// set); empty when the platform gives none.
QString perUserFolder();

// Makes the folder ready: creates it when missing, checks that files can be
// created in it, and gives a folder outside the program's own a config.ini
// with the default game server when it has none, so the player finds the
// settings to edit. Nothing existing is changed. Returns false with a
// message in Italian when the folder cannot be used.
bool prepare(const Choice& choice, QString* error);

} // namespace PlayerFolder
