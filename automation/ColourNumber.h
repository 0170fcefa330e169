#pragma once
// Colour numbers as the button configuration stores them ("&H80FFFF",
// "&HFF&", or plain decimal), read into a 32-bit colour value.
#include "ui/WinColour.h"

#include <QString>

namespace ColourNumber {

// Leading blanks are skipped. "&H" (either case) introduces hexadecimal
// digits: up to four digits without a trailing "&" form a 16-bit signed value
// ("&HC000" is -16384), otherwise a 32-bit one ("&HC000&" is 49152).
// Anything else is read as a decimal number, a fraction rounded half to even.
// Reading stops at the first character that cannot continue the number; text
// without a number, and a number that does not fit in 32 bits, read 0.
WinColour parse(const QString& text);

} // namespace ColourNumber
