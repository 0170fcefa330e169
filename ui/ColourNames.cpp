#include "ui/ColourNames.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {
struct Named {
    int r, g, b;
    const char* name;
};
// Dark shades at 120, bright ones at 240; the greys and white between.
constexpr std::array<Named, 16> kColours = {{
    {0, 0, 0, "Nero"},
    {120, 120, 120, "Grigio scuro"},
    {200, 200, 200, "Grigio chiaro"},
    {240, 240, 240, "Bianco"},
    {120, 0, 0, "Rosso scuro"},
    {240, 0, 0, "Rosso"},
    {0, 120, 0, "Verde scuro"},
    {0, 240, 0, "Verde"},
    {120, 120, 0, "Giallo scuro"},
    {240, 240, 0, "Giallo"},
    {0, 0, 120, "Blu scuro"},
    {0, 0, 240, "Blu"},
    {120, 0, 120, "Magenta scuro"},
    {240, 0, 240, "Magenta"},
    {0, 120, 120, "Ciano scuro"},
    {0, 240, 240, "Ciano"},
}};
} // namespace

QString colourName(const QColor& c) {
    const Named* best = nullptr;
    int bestDistance = std::numeric_limits<int>::max();
    auto distance = [&c](const Named& n) {
        const int dr = c.red() - n.r, dg = c.green() - n.g, db = c.blue() - n.b;
        return dr * dr + dg * dg + db * db;
    };
    for (const Named& n : kColours) {
        const int d = distance(n);
        if (d < bestDistance) {
            best = &n;
            bestDistance = d;
        }
    }
    return QString::fromUtf8(best->name);
}

bool colourFromName(const QString& name, QRgb& colour) {
    const QString wanted = name.trimmed();
    for (const Named& n : kColours) {
        if (wanted.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
            colour = qRgb(n.r, n.g, n.b);
            return true;
        }
    }
    const auto isHex = [](QChar c) {
        return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
    };
    if (wanted.size() == 7 && wanted.startsWith(QLatin1Char('#')) &&
        std::all_of(wanted.begin() + 1, wanted.end(), isHex)) {
        bool ok = false;
        const uint value = wanted.mid(1).toUInt(&ok, 16);
        if (ok) {
            colour = qRgb(int(value >> 16) & 0xFF, int(value >> 8) & 0xFF, int(value) & 0xFF);
            return true;
        }
    }
    return false;
}
