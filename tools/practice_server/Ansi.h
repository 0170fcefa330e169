#pragma once
// Colour sequences the client understands: ESC[0;3Nm for the dark shades
// (the 0 clears the client's brightness, which otherwise lasts for the rest
// of the chunk) and ESC[1;3Nm for the bright ones.
#include <QString>

namespace Ansi {
inline constexpr char kReset[] = "\x1b[0m";
inline constexpr char kGrey[] = "\x1b[0;30m";
inline constexpr char kLightGrey[] = "\x1b[1;30m";
inline constexpr char kRed[] = "\x1b[0;31m";
inline constexpr char kBrightRed[] = "\x1b[1;31m";
inline constexpr char kGreen[] = "\x1b[0;32m";
inline constexpr char kBrightGreen[] = "\x1b[1;32m";
inline constexpr char kYellow[] = "\x1b[0;33m";
inline constexpr char kBrightYellow[] = "\x1b[1;33m";
inline constexpr char kBlue[] = "\x1b[0;34m";
inline constexpr char kBrightBlue[] = "\x1b[1;34m";
inline constexpr char kMagenta[] = "\x1b[0;35m";
inline constexpr char kBrightMagenta[] = "\x1b[1;35m";
inline constexpr char kCyan[] = "\x1b[0;36m";
inline constexpr char kBrightCyan[] = "\x1b[1;36m";
inline constexpr char kWhite[] = "\x1b[0;37m";

// The game's note colour codes: "{{" and one of g G r R v V t T b B m M c C
// Z p become the matching sequence; any other "{{" stays as typed. A reset
// follows when a code was used, so the colour does not run on.
QString noteColoursToAnsi(const QString& text);
} // namespace Ansi
