#pragma once
// Colours as the player's files and the drawn buttons store them: a 32-bit
// value in 0x00BBGGRR layout, RGB(r, g, b) = r + 256*g + 65536*b. Values read
// from files may be negative (a 16-bit "&HC000" reads -16384); only the low
// three bytes are ever drawn.
#include <QColor>
#include <QtGlobal>

using WinColor = qint32;

constexpr WinColor winRgb(int r, int g, int b) {
    return WinColor(r & 0xFF) | (WinColor(g & 0xFF) << 8) | (WinColor(b & 0xFF) << 16);
}

inline QColor toQColor(WinColor c) {
    const quint32 u = quint32(c);
    return QColor(int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF));
}

inline QRgb toQRgb(WinColor c) { return toQColor(c).rgb(); }

inline WinColor fromQColor(const QColor& c) { return winRgb(c.red(), c.green(), c.blue()); }
