#pragma once
// The "colori" command: the extended palette (the 6x6x6 colour cube, 16 to
// 231, and the grey ramp, 232 to 255) and a few 24-bit gradients, so that a
// new player sees what the client can show. Lines fit 80 columns.
#include <QString>

namespace ColourChart {
// Cells are two full blocks in UTF-8, "##" in the code page, which has none.
QString text(bool utf8);
} // namespace ColourChart
