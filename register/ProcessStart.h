#pragma once
// Starting a program from one command line, without waiting for it.
#include <QString>

namespace ProcessStart {

// Window styles of the started program; a normal window with the focus is 1.
constexpr int kNormalFocus = 1;

// The program a command line names: a bare name is looked for first in
// searchFirst (the folder of the program that starts it), then on the PATH.
// Empty when it cannot be found.
QString resolveProgram(const QString& name, const QString& searchFirst);

// Splits line into program and arguments (see CommandLine) and starts it as
// a process of its own. Returns false when it could not be started.
bool start(const QString& line, int windowStyle, const QString& searchFirst);

} // namespace ProcessStart
