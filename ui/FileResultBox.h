#pragma once
// How the windows show what an operation on the player's files came to: a
// failure in a critical box titled "Errore", a notice in a warning box
// titled "Attenzione", nothing when there is nothing to tell.
#include "files/FileResult.h"

class QWidget;

void showFileResult(QWidget* owner, const FileResult& result);
