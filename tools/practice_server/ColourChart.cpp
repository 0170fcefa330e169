#include "practice_server/ColourChart.h"

#include "practice_server/Ansi.h"

#include <array>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kSteps = 36; // cells in a gradient line

QString heading(const QString& text) {
    return QLatin1String(Ansi::kBrightCyan) + text + QLatin1String(Ansi::kReset) + kCrLf;
}

QString palette(int n) {
    return QStringLiteral("\x1b[38;5;%1m").arg(n);
}

QString rgb(int r, int g, int b) {
    return QStringLiteral("\x1b[38;2;%1;%2;%3m").arg(r).arg(g).arg(b);
}

// A hue from 0 to 359 at full saturation and value.
std::array<int, 3> hue(int h) {
    const int sector = h / 60, rise = (h % 60) * 255 / 60, fall = 255 - rise;
    switch (sector) {
    case 0:
        return {255, rise, 0};
    case 1:
        return {fall, 255, 0};
    case 2:
        return {0, 255, rise};
    case 3:
        return {0, fall, 255};
    case 4:
        return {rise, 0, 255};
    default:
        return {255, 0, fall};
    }
}
} // namespace

namespace ColourChart {

QString text(bool utf8) {
    const QString cell = utf8 ? QStringLiteral("\u2588\u2588") : QStringLiteral("##");
    const QString end = QLatin1String(Ansi::kReset) + kCrLf;
    QString t = heading(QStringLiteral("Il cubo dei 256 colori (ESC[38;5;n m), da 16 a 231:"));
    for (int r = 0; r < 6; ++r) {
        t += QStringLiteral("  ");
        for (int i = 0; i < 36; ++i)
            t += palette(16 + 36 * r + i) + cell;
        t += end;
    }
    t += heading(QStringLiteral("La scala dei grigi, da 232 a 255:"));
    t += QStringLiteral("  ");
    for (int n = 232; n <= 255; ++n)
        t += palette(n) + cell;
    t += end;
    t += heading(QStringLiteral("Sfumature a 24 bit (ESC[38;2;r;g;b m): dal rosso al giallo, "
                                "dal blu al ciano,"));
    t += heading(QStringLiteral("dal nero al bianco, l'arcobaleno:"));
    const auto line = [&](auto colourAt) {
        t += QStringLiteral("  ");
        for (int i = 0; i < kSteps; ++i)
            t += colourAt(i * 255 / (kSteps - 1)) + cell;
        t += end;
    };
    line([](int v) { return rgb(255, v, 0); });
    line([](int v) { return rgb(0, v, 255); });
    line([](int v) { return rgb(v, v, v); });
    line([](int v) {
        const auto c = hue(v * 359 / 255);
        return rgb(c[0], c[1], c[2]);
    });
    return t;
}

} // namespace ColourChart
