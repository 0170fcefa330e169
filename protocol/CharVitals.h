#pragma once
// What a "Char.Vitals" body says about the character's health, mana and
// moves, under the field names games commonly use: hp/maxhp, mp/maxmp or
// mana/maxmana, mv/maxmv or moves/maxmoves. Figures may come as numbers or
// as numeric strings; a field that is missing or not a figure is not told.
#include <QJsonValue>
#include <QList>

#include <optional>

enum class Vital { Health, Mana, Moves };

struct VitalReading {
    Vital vital = Vital::Health;
    std::optional<qint64> current; // told only when the body holds it
    std::optional<qint64> max;
};

// One reading per vital the body tells anything about, in the order health,
// mana, moves; nothing for a body that is not an object.
QList<VitalReading> readVitals(const QJsonValue& body);
