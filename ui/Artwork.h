#pragma once
// The program's pictures, drawn in code once and kept for the life of the
// process. Every function returns a cached pixmap; copies are cheap. Call
// them only once the application object exists, from the UI thread.
#include <QImage>
#include <QPixmap>
#include <QString>

namespace Artwork {

// Background tile of the main window (64x64, subdued stone).
QPixmap mainTile();
// Background tile of the tool windows (43x42, parchment).
QPixmap toolTile();
// 20x20 icons: "nuovo", "modifica", "elimina", "conferma", "annulla", "esci",
// "apri", "salva", "invia" (letter case ignored, so a button's caption will
// do). An unknown name gives a 20x20 question mark.
QPixmap icon(const QString& name);
// 13x13 menu pictures: 0 trigger, 1 alias, 2 bottoni, 3 nota; others give an
// empty (transparent) 13x13 picture.
QPixmap menuPicture(int i);
// 16x16 pictures drawn in the 20x20 square of the connection buttons.
QPixmap connectPicture();
QPixmap disconnectPicture();
// 48x48 emblems of the main window's two pictures (0 and 1; others wrap).
QPixmap decoration(int i);
// 385x249 picture of the about window: title, version, credits. Drawn anew
// each time: it is shown once per session.
QPixmap aboutPicture();
// The program's icon (the flame seal of decoration(1)), size x size pixels,
// drawn afresh at that size. Needs no application object: the build draws
// the installed icons with it.
QImage appIcon(int size);

} // namespace Artwork
