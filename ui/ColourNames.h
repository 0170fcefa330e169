#pragma once
// Italian names of the game's sixteen colours (dark and bright shades, as
// the display and the note composer's swatches show them), for screen readers.
#include <QColor>
#include <QString>

// The name of the palette colour nearest to c: "Rosso", "Verde scuro", ...
QString colourName(const QColor& c);

// The palette colour called name ("rosso scuro", letter case ignored), or a
// "#rrggbb" colour. False when it is neither.
bool colourFromName(const QString& name, QRgb& colour);
