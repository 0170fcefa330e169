#pragma once
// Text for the terminal the client was started from (help, version, start-up
// errors). A windowed program on Windows has no console of its own: there it
// writes to the console of the command prompt that started it, if any.
#include <QString>

namespace Terminal {

void writeOut(const QString& text);
void writeErr(const QString& text);

} // namespace Terminal
