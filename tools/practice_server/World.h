#pragma once
// The practice world: a handful of rooms of a small village, joined by exits.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

enum class Direction { Nord, Sud, Est, Ovest, Su, Giu };
inline constexpr int kDirectionCount = 6;

struct Room {
    QString name;
    QStringList description;                // lines, may hold colour sequences
    std::array<int, kDirectionCount> exits; // room index, or -1
};

class World {
public:
    World();

    int startRoom() const { return 0; }
    int roomCount() const { return int(m_rooms.size()); }
    // An index outside the world gives the start room, so a bad index can
    // never be dereferenced.
    const Room& room(int index) const;
    // -1 when there is no exit that way.
    int exit(int room, Direction d) const;

    // "nord", "n", "sud", "s", "est", "e", "ovest", "o", "su", "giu", "giù",
    // in any letter case.
    static std::optional<Direction> parseDirection(const QString& word);
    static QString directionName(Direction d);
    // "va a nord", "sale", "scende": how others see someone leave.
    static QString leavingPhrase(Direction d);

private:
    std::vector<Room> m_rooms;
};
