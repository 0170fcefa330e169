// The main window's surface with its drawn buttons on real widgets: what the
// player sees of hover and clicks, and the layout of the controls over it.
#include "client/MainSurface.h"
#include "support/commands/MainButtonsRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTextEdit>

namespace {
const QRgb kTile = qRgb(20, 30, 90);
const QRgb kYellow = qRgb(255, 255, 0);
} // namespace

class TestMainSurface : public QObject {
    Q_OBJECT

    // The main window's buttons as start-up creates them, on the surface that
    // paints them.
    struct Rig : MainButtonsRig<MainSurface> {
        Rig() {
            QPixmap tile(8, 8);
            tile.fill(QColor(kTile));
            MainPictures pics;
            pics.background = tile;
            surface.setPictures(pics);
        }
        // Yellow shows in the frame just outside a highlighted button's body.
        bool framed(const QImage& img, const CButton& b) const {
            return img.pixel(int(b.Left()) - 1, int(b.Top()) + 10) == kYellow;
        }
    };

private slots:
    void hoverHighlightsOneActiveButton() {
        Rig r;
        QVERIFY(QTest::qWaitForWindowExposed(&r.surface));
        // An unconfigured bar highlights nothing.
        r.moveOver(1);
        QVERIFY(r.highlighted().isEmpty());

        r.activate(2, "a");
        r.activate(3, "b");
        r.moveOver(2);
        QCOMPARE(r.highlighted(), QList<int>{2});
        r.moveOver(3);
        QCOMPARE(r.highlighted(), QList<int>{3});
        QImage img = r.surface.grab().toImage();
        QVERIFY(r.framed(img, r.bar[2]));
        QVERIFY(!r.framed(img, r.bar[1]));
        QCOMPARE(img.pixel(5, 100), kTile);
        // The body stays white inside the frame.
        QCOMPARE(img.pixel(int(r.bar[2].Left()) + 40, 50), qRgb(255, 255, 255));

        // An inactive button removes every highlight.
        r.moveOver(4);
        QVERIFY(r.highlighted().isEmpty());
        r.moveOver(9);
        QCOMPARE(r.highlighted(), QList<int>{9});
        r.moveOver(10);
        QVERIFY(r.highlighted().isEmpty());

        // Leaving for the surface or a watched display clears it.
        r.moveOver(2);
        QTest::mouseMove(&r.surface, QPoint(400, 300));
        QVERIFY(r.highlighted().isEmpty());
        img = r.surface.grab().toImage();
        QVERIFY(!r.framed(img, r.bar[1]));

        QTextEdit text(&r.surface);
        text.setGeometry(8, 64, 300, 200);
        text.show();
        r.buttons->clearHoverOver(text.viewport());
        r.moveOver(2);
        QTest::mouseMove(text.viewport(), QPoint(50, 50));
        QVERIFY(r.highlighted().isEmpty());
    }

    void connectionPair() {
        Rig r;
        // Disconnetti is inactive: ignored.
        r.click(10);
        QVERIFY(r.calls.isEmpty());

        // A failed attempt changes nothing.
        r.click(9);
        QCOMPARE(r.calls, QStringList{"connetti"});
        QVERIFY(r.connect.Attivo());
        QVERIFY(!r.disconnect.Attivo());

        r.connectSucceeds = true;
        r.click(9);
        QVERIFY(!r.connect.Attivo());
        QVERIFY(r.disconnect.Attivo());
        // Connetti is inactive now.
        r.click(9);
        QCOMPARE(r.calls.size(), 2);

        r.click(10);
        QCOMPARE(r.calls.last(), QString("disconnetti:1"));
        QVERIFY(r.connect.Attivo());
        QVERIFY(!r.disconnect.Attivo());

        // The squares show which of the pair is active.
        const QImage img = r.surface.grab().toImage();
        QCOMPARE(img.pixel(265 + 10, 15), qRgb(160, 160, 160));
        QCOMPARE(img.pixel(180 + 10, 15), qRgb(255, 255, 128));
    }

    void resizeLayout() {
        Rig r;
        QTextEdit rtbDisplay(&r.surface);
        QComboBox combo(&r.surface);
        QCheckBox chkLog("Scrivi Log.txt", &r.surface);
        combo.setGeometry(8, 0, 100, 21);
        r.surface.setLayoutWidgets(&rtbDisplay, &combo, &chkLog);

        r.surface.resize(800, 600);
        // 12000 x 9000 twips: display 11650 x 6900 from (120, 960).
        QCOMPARE(rtbDisplay.geometry(), QRect(8, 64, 776, 460));
        QCOMPARE(combo.geometry(), QRect(8, 526, 776, 21));
        QCOMPARE(chkLog.pos(), QPoint(595, 15));

        // Too small: the sizes that would be negative are kept.
        r.surface.resize(20, 100);
        QCOMPARE(rtbDisplay.geometry(), QRect(8, 64, 776, 460));
        QCOMPARE(combo.geometry(), QRect(8, 26, 776, 21));
        r.surface.resize(30, 200);
        QCOMPARE(rtbDisplay.geometry(), QRect(8, 64, 6, 60));
        QCOMPARE(chkLog.pos(), QPoint(595, 15));
    }
};

QTEST_MAIN(TestMainSurface)
#include "tst_mainsurface.moc"
