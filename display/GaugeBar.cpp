#include "display/GaugeBar.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>

namespace {
const QColor kHealthColour(200, 40, 40);
const QColor kManaColour(50, 90, 220);
const QColor kMovesColour(40, 160, 60);
const QColor kOtherColour(200, 160, 30);
const QColor kTrough(40, 40, 40);

// A progress bar for screen readers: name, value and range, read on request.
class GaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit GaugeAccessible(Gauge* gauge) : QAccessibleWidget(gauge, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name:
            return gauge()->name();
        case QAccessible::Value:
            return gauge()->figures();
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QVariant currentValue() const override { return gauge()->current(); }
    void setCurrentValue(const QVariant&) override {} // the server's figures, not the player's
    QVariant maximumValue() const override { return gauge()->maximum(); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    Gauge* gauge() const { return static_cast<Gauge*>(widget()); }
};

QAccessibleInterface* gaugeFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("Gauge") && object && object->isWidgetType())
        return new GaugeAccessible(static_cast<Gauge*>(object));
    return nullptr;
}
} // namespace

Gauge::Gauge(const QString& name, QColor colour, QWidget* parent)
    : QWidget(parent), m_name(name), m_colour(colour), m_ownColour(colour) {
    static const bool installed = [] {
        QAccessible::installFactory(gaugeFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("gauge%1").arg(name));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hide();
}

double Gauge::fill() const {
    if (m_max <= 0 || m_current <= 0)
        return 0;
    return std::min(1.0, double(m_current) / double(m_max));
}

QString Gauge::figures() const {
    return QStringLiteral("%1/%2").arg(m_current).arg(m_max);
}

void Gauge::set(std::optional<qint64> current, std::optional<qint64> max, QColor colour) {
    if (current)
        m_current = *current;
    if (max)
        m_max = *max;
    if (colour.isValid())
        m_colour = colour;
    update();
}

void Gauge::rename(const QString& name) {
    m_name = name;
    setObjectName(QStringLiteral("gauge%1").arg(name));
    update();
}

void Gauge::reset() {
    m_current = m_max = 0;
    m_colour = m_ownColour;
    hide();
}

QSize Gauge::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    return QSize(fm.horizontalAdvance(m_name + QStringLiteral(" 0000/0000")) + 12, fm.height() + 6);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();
    p.fillRect(all, kTrough);
    QRect filled = all.adjusted(1, 1, -1, -1);
    filled.setWidth(int(filled.width() * fill()));
    p.fillRect(filled, m_colour);
    p.setPen(hasFocus() ? palette().highlight().color() : QColor(Qt::gray));
    p.drawRect(all.adjusted(0, 0, -1, -1));
    p.setPen(Qt::white);
    p.drawText(all, Qt::AlignCenter, m_name + u' ' + figures());
}

GaugeBar::GaugeBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("gaugeBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->setSpacing(6);
    const QList<std::pair<QString, QColor>> standard = {
        {kHealth, kHealthColour}, {kMana, kManaColour}, {kMoves, kMovesColour}, {{}, kOtherColour}};
    for (const auto& [name, colour] : standard) {
        auto* g = new Gauge(name, colour, this);
        layout->addWidget(g);
        m_gauges.append(g);
    }
    layout->addStretch(0);
    hide();
}

Gauge* GaugeBar::gauge(const QString& name) const {
    if (name.isEmpty())
        return nullptr;
    for (Gauge* g : m_gauges)
        if (g->name().compare(name, Qt::CaseInsensitive) == 0)
            return g;
    return nullptr;
}

bool GaugeBar::setGauge(const QString& name, std::optional<qint64> current,
                        std::optional<qint64> max, QColor colour) {
    Gauge* g = gauge(name);
    if (!g) {
        Gauge* other = m_gauges.last();
        if (name.trimmed().isEmpty() || !other->name().isEmpty())
            return false;
        other->rename(name);
        g = other;
    }
    g->set(current, max, colour);
    g->show();
    show();
    return true;
}

void GaugeBar::clear() {
    for (Gauge* g : m_gauges)
        g->reset();
    m_gauges.last()->rename({});
    hide();
}
