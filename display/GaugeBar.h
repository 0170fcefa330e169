#pragma once
// The character's gauges under the game display: up to four labelled bars,
// each with its figures (current of max) and a fill colour. The first three
// are health, mana and moves, in that order; the fourth takes any other
// name. The bar stays hidden until a gauge has something to show.
//
// For screen readers each gauge is a progress bar with its name and value,
// read when the player asks (it takes the focus by Tab); a change of figures
// is not announced, since the figures may change several times a second.
#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

class Gauge : public QWidget {
    Q_OBJECT
public:
    Gauge(const QString& name, QColor colour, QWidget* parent = nullptr);

    QString name() const { return m_name; }
    qint64 current() const { return m_current; }
    qint64 maximum() const { return m_max; }
    QColor colour() const { return m_colour; }
    // The share of the bar filled, 0 to 1: none without a positive maximum.
    double fill() const;
    // "151/500", as drawn and read.
    QString figures() const;

    // A figure not given keeps its value.
    void set(std::optional<qint64> current, std::optional<qint64> max, QColor colour = {});
    void rename(const QString& name);
    // Empty, hidden, in its own colour again.
    void reset();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    qint64 m_current = 0;
    qint64 m_max = 0;
    QColor m_colour;
    QColor m_ownColour;
};

class GaugeBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxGauges = 4;
    static inline const QString kHealth = QStringLiteral("Salute");
    static inline const QString kMana = QStringLiteral("Mana");
    static inline const QString kMoves = QStringLiteral("Movimento");

    explicit GaugeBar(QWidget* parent = nullptr);

    // Shows gauge name (found without regard to case) with these figures; a
    // new name takes the fourth gauge while it is free, or renames it when
    // not yet shown. False, and nothing changes, when there is no room.
    // An invalid colour keeps the gauge's own.
    bool setGauge(const QString& name, std::optional<qint64> current, std::optional<qint64> max,
                  QColor colour = {});
    // The gauge of that name, shown or not; null when there is none.
    Gauge* gauge(const QString& name) const;
    // Every gauge hidden and emptied, the bar with them: a new character.
    void clear();

private:
    QList<Gauge*> m_gauges;
};
