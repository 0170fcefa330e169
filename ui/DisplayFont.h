#pragma once
// The fixed-pitch face of the game display and the input line. The face is
// chosen by the name of the font meant, never left to the system's matching:
// "Courier" would otherwise become whatever print face the machine maps it to
// (a thin one on many desktops).
#include <QFont>
#include <QString>
#include <QStringList>

namespace DisplayFont {
inline const QString kDefaultFamily = QStringLiteral("Courier");
constexpr qreal kDefaultPoints = 9.75;
constexpr qreal kMinPoints = 6;
constexpr qreal kMaxPoints = 48;

// The family to draw `wanted` with, among the installed families: "Courier"
// (or an empty or missing name) becomes the screen face with its metrics,
// Liberation Mono, then DejaVu Sans Mono, then systemMono. Installed names
// may carry a foundry ("Name [Foundry]"); the plain name is returned.
QString chooseFamily(const QString& wanted, const QStringList& installed,
                     const QString& systemMono);

// The font for family and size with the installed families: fixed pitch,
// typewriter hint, the size clamped to kMinPoints .. kMaxPoints.
QFont make(const QString& family = kDefaultFamily, qreal points = kDefaultPoints);
} // namespace DisplayFont
