#include "display/GaugeBar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

namespace {
int valueEvents = 0;
void countValueEvents(QAccessibleEvent* event) {
    if (event->type() == QAccessible::ValueChanged && qobject_cast<Gauge*>(event->object()))
        ++valueEvents;
}
} // namespace

class TstGaugeBar : public QObject {
    Q_OBJECT
private slots:
    void gaugesTakeNamesAndFigures() {
        QWidget window;
        auto* bar = new GaugeBar(&window);
        window.show();
        QVERIFY(!bar->isVisible());
        // name, current, max (-1: not given), accepted, then what the gauge shows
        struct Step {
            QString name;
            qint64 current, max;
            bool accepted;
            const char* gauge;
            const char* figures;
        };
        const Step steps[] = {
            {"salute", 151, 500, true, "Salute", "151/500"},
            {"SALUTE", 90, -1, true, "Salute", "90/500"},
            {"Mana", -1, 300, true, "Mana", "0/300"},
            {"Fame", 3, 10, true, "Fame", "3/10"},
            {"Sete", 1, 2, false, "Fame", "3/10"},
            {"", 1, 2, false, "Fame", "3/10"},
            {"fame", 4, -1, true, "Fame", "4/10"},
        };
        for (const Step& s : steps) {
            const auto given = [](qint64 v) { return v < 0 ? std::nullopt : std::optional(v); };
            QCOMPARE(bar->setGauge(s.name, given(s.current), given(s.max)), s.accepted);
            Gauge* g = bar->gauge(QString::fromLatin1(s.gauge));
            QVERIFY(g && g->isVisible());
            QCOMPARE(g->figures(), QString::fromLatin1(s.figures));
        }
        QVERIFY(bar->isVisible());
        QVERIFY(!bar->gauge(GaugeBar::kMoves)->isVisible()); // never set
        QVERIFY(!bar->gauge("Sete"));

        bar->clear();
        QVERIFY(!bar->isVisible());
        QVERIFY(!bar->gauge("Fame")); // the fourth is free again
        QVERIFY(bar->setGauge("Sete", 1, 2, Qt::cyan));
        QCOMPARE(bar->gauge("Sete")->colour(), QColor(Qt::cyan));
    }

    void fillFollowsTheFigures() {
        Gauge g(QStringLiteral("Salute"), QColor(200, 40, 40));
        const qint64 figures[][3] = {// current, max, fill in per cent
                                     {151, 500, 30}, {425, 300, 100}, {-5, 100, 0},
                                     {5, 0, 0},      {5, -3, 0},      {100, 100, 100}};
        for (const auto& f : figures) {
            g.set(f[0], f[1]);
            QCOMPARE(qRound(g.fill() * 100), int(f[2]));
        }
        // Drawn: the fill colour from the left, the trough beyond it.
        g.resize(202, 20);
        g.set(50, 100, QColor(0, 0, 255));
        const QImage shot = g.grab().toImage();
        QCOMPARE(shot.pixelColor(5, 1), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(98, 1), QColor(0, 0, 255));
        QVERIFY(shot.pixelColor(104, 1) != QColor(0, 0, 255));
        QVERIFY(shot.pixelColor(196, 1) != QColor(0, 0, 255));
    }

    void readByScreenReadersOnRequest() {
        QWidget window;
        auto* bar = new GaugeBar(&window);
        window.show();
        QAccessible::installUpdateHandler(countValueEvents);
        QAccessible::setActive(true);
        bar->setGauge(GaugeBar::kHealth, 151, 500);
        bar->setGauge(GaugeBar::kHealth, 90, 500);
        Gauge* g = bar->gauge(GaugeBar::kHealth);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(g);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::ProgressBar);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Salute"));
        QCOMPARE(a->text(QAccessible::Value), QStringLiteral("90/500"));
        QAccessibleValueInterface* value = a->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toLongLong(), 90);
        QCOMPARE(value->maximumValue().toLongLong(), 500);
        QCOMPARE(valueEvents, 0); // changes are not announced
        QCOMPARE(g->focusPolicy(), Qt::TabFocus);
        QAccessible::installUpdateHandler(nullptr);
    }
};

QTEST_MAIN(TstGaugeBar)
#include "tst_gaugebar.moc"
