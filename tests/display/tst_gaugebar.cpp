#include "display/GaugeBar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

class TstGaugeBar : public QObject {
    Q_OBJECT
private slots:
    void gaugesTakeNamesAndFigures() {
        QWidget window;
        auto* bar = new GaugeBar(&window);
        window.show();
        QVERIFY(!bar->isVisible());
        // name, current, max (-1: not given), accepted; then the gauge shown
        const std::tuple<QString, qint64, qint64, bool, QString> steps[] = {
            {"salute", 151, 500, true, "Salute 151/500"}, {"SALUTE", 90, -1, true, "Salute 90/500"},
            {"Mana", -1, 300, true, "Mana 0/300"},        {"Fame", 3, 10, true, "Fame 3/10"},
            {"Sete", 1, 2, false, "Fame 3/10"},           {"", 1, 2, false, "Fame 3/10"},
        };
        const auto given = [](qint64 v) { return v < 0 ? std::nullopt : std::optional(v); };
        for (const auto& [name, current, max, accepted, shown] : steps) {
            QCOMPARE(bar->setGauge(name, given(current), given(max)), accepted);
            Gauge* g = bar->gauge(shown.section(u' ', 0, 0));
            QVERIFY(g && g->isVisible());
            QCOMPARE(g->name() + u' ' + g->figures(), shown);
        }
        QVERIFY(bar->isVisible() && !bar->gauge(GaugeBar::kMoves)->isVisible());
        bar->clear();
        QVERIFY(!bar->isVisible() && !bar->gauge("Fame")); // the fourth is free again
        QVERIFY(bar->setGauge("Sete", 1, 2, Qt::cyan));
        QCOMPARE(bar->gauge("Sete")->colour(), QColor(Qt::cyan));
    }

    // Filled from the left by the share of the maximum, never beyond; read
    // by screen readers as a progress bar, changes not announced.
    void fillAndAccessibility() {
        Gauge g(QStringLiteral("Salute"), QColor(200, 40, 40));
        for (const auto& [current, max, percent] :
             {std::tuple(151, 500, 30), {425, 300, 100}, {-5, 100, 0}, {5, 0, 0}}) {
            g.set(current, max);
            QCOMPARE(qRound(g.fill() * 100), percent);
        }
        g.resize(202, 20);
        g.set(50, 100, Qt::blue);
        const QImage shot = g.grab().toImage();
        for (const auto& [x, filled] : {std::pair(5, true), {98, true}, {104, false}, {196, false}})
            QCOMPARE(shot.pixelColor(x, 1) == QColor(Qt::blue), filled);

        static int announced = 0;
        QAccessible::installUpdateHandler(
            [](QAccessibleEvent* e) { announced += e->type() == QAccessible::ValueChanged; });
        g.set(90, 500);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&g);
        QCOMPARE(a->role(), QAccessible::ProgressBar);
        QCOMPARE(a->text(QAccessible::Name) + u' ' + a->text(QAccessible::Value),
                 QStringLiteral("Salute 90/500"));
        QCOMPARE(a->valueInterface()->currentValue().toLongLong(), 90);
        QCOMPARE(a->valueInterface()->maximumValue().toLongLong(), 500);
        QCOMPARE(announced, 0);
        QCOMPARE(g.focusPolicy(), Qt::TabFocus);
        QAccessible::installUpdateHandler(nullptr);
    }
};

QTEST_MAIN(TstGaugeBar)
#include "tst_gaugebar.moc"
