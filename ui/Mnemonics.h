#pragma once
// Picks the letter that presses each drawn button of a window with Alt: the
// first letter of its caption that no earlier button of the window took.
#include <QList>
#include <QStringList>

// For each caption, the position of its letter, or -1 when every letter of it
// is taken. Letters compare without case.
QList<int> chooseMnemonics(const QStringList& captions);
