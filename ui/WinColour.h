#pragma once
// Colours as the player's files and the drawn buttons store them: a 32-bit
// value in 0x00BBGGRR layout, RGB(r, g, b) = r + 256*g + 65536*b. Values read
// from files may be negative (a 16-bit "&HC000" reads -16384); only the low
// three bytes are ever drawn.
#include <QColor>
#include <QtGlobal>

using WinColour = qint32;

constexpr WinColour winRgb(int r, int g, int b) {
    return WinColour(r & 0xFF) | (WinColour(g & 0xFF) << 8) | (WinColour(b & 0xFF) << 16);
}

inline QColor toQColor(WinColour c) {
    const quint32 u = quint32(c);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

inline QRgb toQRgb(WinColour c) {
    return toQColor(c).rgb();
}

inline WinColour fromQColor(const QColor& c) {
    return winRgb(c.red(), c.green(), c.blue());
}
