#include "protocol/CharVitals.h"

#include <QJsonObject>

#include <cmath>

namespace {
struct Fields {
    Vital vital;
    const char* current[2];
    const char* max[2];
};
const Fields kFields[] = {
    {Vital::Health, {"hp", "health"}, {"maxhp", "maxhealth"}},
    {Vital::Mana, {"mp", "mana"}, {"maxmp", "maxmana"}},
    {Vital::Moves, {"mv", "moves"}, {"maxmv", "maxmoves"}},
};

std::optional<qint64> figure(const QJsonValue& v) {
    double d = 0;
    if (v.isDouble()) {
        d = v.toDouble();
    } else if (v.isString()) {
        bool ok = false;
        d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    // Far beyond any game's figures, and never undefined to convert.
    if (!std::isfinite(d) || std::fabs(d) > 1e15)
        return std::nullopt;
    return qint64(std::llround(d));
}

std::optional<qint64> field(const QJsonObject& o, const char* const (&names)[2]) {
    for (const char* name : names) {
        const auto it = o.constFind(QLatin1String(name));
        if (it != o.constEnd())
            return figure(*it);
    }
    return std::nullopt;
}
} // namespace

QList<VitalReading> readVitals(const QJsonValue& body) {
    QList<VitalReading> readings;
    if (!body.isObject())
        return readings;
    const QJsonObject o = body.toObject();
    for (const Fields& f : kFields) {
        VitalReading r{f.vital, field(o, f.current), field(o, f.max)};
        if (r.current || r.max)
            readings.append(r);
    }
    return readings;
}
