// The shaped outline, checked pixel by pixel on a 400 x 300 window with an
// 18-pixel caption and 3-pixel frames (corner radius 21).
#include "ui/FormRegion.h"

#include <QTest>

class TstFormRegion : public QObject {
    Q_OBJECT
private slots:
    void workedExample();
    void cornerArcs();
    void ellipseIsSymmetric();
};

namespace {
bool within(int x, int y, int l, int t, int r, int b) { // inclusive bounds
    return x >= l && x <= r && y >= t && y <= b;
}
} // namespace

void TstFormRegion::workedExample() {
    const QRegion rg = buildFormRegion(400, 300, 18, 3, 3);
    QCOMPARE(rg.boundingRect(), QRect(QPoint(3, 3), QPoint(396, 299)));
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            const bool in = rg.contains(QPoint(x, y));
            const bool tab = within(x, y, 335, 3, 396, 20);
            const bool body = within(x, y, 3, 21, 396, 299);
            const bool shoulder = within(x, y, 314, 3, 334, 23);
            const bool topLeft = within(x, y, 3, 21, 20, 41);
            const bool bottomRight = within(x, y, 379, 279, 396, 299);
            if (shoulder || topLeft || bottomRight)
                continue; // arcs, checked below
            if (in != (tab || body))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3 the outline")
                                     .arg(x)
                                     .arg(y)
                                     .arg(in ? "inside" : "outside")));
        }
    }
    // Square corners: bottom-left of the body, both right corners of the tab.
    QVERIFY(rg.contains(QPoint(3, 299)));
    QVERIFY(rg.contains(QPoint(396, 3)));
    QVERIFY(rg.contains(QPoint(335, 3)));
    // Frames cut away, bottom frame kept.
    QVERIFY(!rg.contains(QPoint(2, 150)));
    QVERIFY(!rg.contains(QPoint(397, 150)));
    QVERIFY(!rg.contains(QPoint(350, 2)));
    QVERIFY(rg.contains(QPoint(200, 299)));
}

void TstFormRegion::cornerArcs() {
    const QRegion rg = buildFormRegion(400, 300, 18, 3, 3);
    // Rounded top-left: the outer corner is cut, the inner one kept, and each
    // row of the arc starts no further right than the row above.
    QVERIFY(!rg.contains(QPoint(3, 21)));
    QVERIFY(rg.contains(QPoint(20, 41)));
    QVERIFY(rg.contains(QPoint(3, 41)));
    QVERIFY(rg.contains(QPoint(20, 21)));
    // The shoulder joins the tab's top edge to the body's top edge.
    QVERIFY(!rg.contains(QPoint(314, 3)));
    QVERIFY(rg.contains(QPoint(334, 3)));
    QVERIFY(rg.contains(QPoint(334, 23)));
    // Rounded bottom-right.
    QVERIFY(!rg.contains(QPoint(396, 299)));
    QVERIFY(rg.contains(QPoint(379, 279)));
    QVERIFY(rg.contains(QPoint(396, 279)));
    QVERIFY(rg.contains(QPoint(379, 299)));

    auto firstIn = [&](int y, int from, int to) {
        for (int x = from; x <= to; ++x)
            if (rg.contains(QPoint(x, y)))
                return x;
        return to + 1;
    };
    int prev = 1000;
    for (int y = 21; y <= 41; ++y) {
        const int x = firstIn(y, 3, 21);
        QVERIFY2(x <= prev, qPrintable(QString::number(y)));
        prev = x;
    }
    prev = 1000;
    for (int y = 3; y <= 23; ++y) {
        const int x = firstIn(y, 314, 335);
        QVERIFY2(x <= prev, qPrintable(QString::number(y)));
        prev = x;
    }
    // Bottom-right: each lower row ends no further right.
    auto lastIn = [&](int y) {
        for (int x = 396; x >= 370; --x)
            if (rg.contains(QPoint(x, y)))
                return x;
        return 0;
    };
    prev = 1000;
    for (int y = 279; y <= 299; ++y) {
        const int x = lastIn(y);
        QVERIFY2(x <= prev && x >= 379, qPrintable(QString::number(y)));
        prev = x;
    }
}

void TstFormRegion::ellipseIsSymmetric() {
    const QRegion e = ellipticRegion(QRect(0, 0, 42, 42));
    QCOMPARE(e.boundingRect(), QRect(0, 0, 42, 42));
    for (int y = 0; y < 42; ++y)
        for (int x = 0; x < 42; ++x) {
            const bool in = e.contains(QPoint(x, y));
            QCOMPARE(e.contains(QPoint(41 - x, y)), in);
            QCOMPARE(e.contains(QPoint(x, 41 - y)), in);
            QCOMPARE(e.contains(QPoint(y, x)), in);
        }
    QVERIFY(ellipticRegion(QRect(0, 0, 0, 5)).isEmpty());
}

QTEST_MAIN(TstFormRegion)
#include "tst_formregion.moc"
