#include "ui/CButton.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <stdexcept>

class TestCButton : public QObject {
    Q_OBJECT

    static QImage render(const CButton& b) {
        QImage img(200, 120, QImage::Format_RGB32);
        img.fill(QColor(10, 20, 30));
        QPainter p(&img);
        b.draw(p);
        return img;
    }
    static QColor at(const QImage& img, int x, int y) { return QColor(img.pixel(x, y)); }

private slots:
    void propertyRules() {
        CButton b;
        QCOMPARE(b.Caption(), QString(" Vuoto "));
        QCOMPARE(b.ActiveColor(), winRgb(255, 255, 128));
        QCOMPARE(b.DisactiveColor(), winRgb(192, 192, 192));
        b.setCaption(QString());
        QCOMPARE(b.Caption(), QString("Vuoto"));

        b.setLeft(100);
        b.setRight(0);
        QCOMPARE(b.Right(), 110.0);
        b.setTop(40);
        b.setBottom(0.5);
        QCOMPARE(b.Bottom(), 50.0);

        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, b.setLeft(0));
        QCOMPARE(b.Left(), 100.0);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, b.setTop(0.5));
        QCOMPARE(b.Top(), 40.0);
        b.setLeft(1);
        QCOMPARE(b.Left(), 1.0);
    }

    void initTakesTopBeforeLeft() {
        CButton b;
        b.init("Nuovo", 25, 170, 2, true);
        QCOMPARE(b.Top(), 25.0);
        QCOMPARE(b.Left(), 170.0);
        QCOMPARE(b.ActiveColor(), winRgb(255, 255, 128));
        QCOMPARE(b.Right(), 0.0);
        QCOMPARE(b.Bottom(), 0.0);

        // A failing position stops init: later properties keep their values.
        CButton c;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, c.init("X", 0, 50, 3, true));
        QCOMPARE(c.Caption(), QString("X"));
        QCOMPARE(c.Left(), 0.0);
        QCOMPARE(c.Stile(), 0);
    }

    void style3ActiveDrawsBodyAndSquare() {
        CButton b;
        b.init("Invia", 40, 10, 3, true);
        const QImage img = render(b);
        // Outline of the 80 x 20 body: (10,40)-(89,59) inclusive, black.
        QCOMPARE(at(img, 10, 40), QColor(0, 0, 0));
        QCOMPARE(at(img, 89, 59), QColor(0, 0, 0));
        QCOMPARE(at(img, 60, 40), QColor(0, 0, 0));
        QCOMPARE(at(img, 89, 45), QColor(0, 0, 0));
        // Nothing beyond the right and bottom edges.
        QCOMPARE(at(img, 90, 50), QColor(10, 20, 30));
        QCOMPARE(at(img, 50, 60), QColor(10, 20, 30));
        // Light yellow square, white body.
        QCOMPARE(at(img, 15, 50), QColor(255, 255, 128));
        QCOMPARE(at(img, 29, 50), QColor(0, 0, 0)); // square's right outline
        QCOMPARE(at(img, 80, 55), QColor(255, 255, 255));
        // No highlight frame.
        QCOMPARE(at(img, 8, 38), QColor(10, 20, 30));
    }

    void style3InactiveAndSelected() {
        CButton b;
        b.init("Invia", 40, 10, 3, false);
        QImage img = render(b);
        QCOMPARE(at(img, 80, 55), QColor(192, 192, 192));
        QCOMPARE(at(img, 15, 50), QColor(160, 160, 160));
        QCOMPARE(at(img, 10, 40), QColor(120, 120, 120));

        b.setAttivo(true);
        b.setSelezionato(true);
        img = render(b);
        // Yellow frame from (8,38) to (92,62) exclusive, outlined in black.
        QCOMPARE(at(img, 8, 38), QColor(0, 0, 0));
        QCOMPARE(at(img, 91, 61), QColor(0, 0, 0));
        QCOMPARE(at(img, 9, 50), QColor(255, 255, 0));
        QCOMPARE(at(img, 90, 50), QColor(255, 255, 0));
        QCOMPARE(at(img, 92, 50), QColor(10, 20, 30));
    }

    void style2Colours() {
        CButton b;
        b.init("Nuovo", 25, 50, 2, true);
        QImage img = render(b);
        QCOMPARE(at(img, 60, 35), QColor(192, 192, 255)); // the square
        QCOMPARE(at(img, 145, 45), QColor(255, 255, 255)); // the body
        QCOMPARE(at(img, 149, 49), QColor(0, 0, 0));       // (l+100-1, t+25-1)
        QCOMPARE(at(img, 150, 40), QColor(10, 20, 30));
        b.setAttivo(false);
        img = render(b);
        QCOMPARE(at(img, 60, 35), QColor(160, 160, 160));
        QCOMPARE(at(img, 145, 45), QColor(192, 192, 192));
        // Style 2 never uses ActiveColor.
        b.setAttivo(true);
        b.setActiveColor(winRgb(255, 0, 0));
        img = render(b);
        QCOMPARE(at(img, 60, 35), QColor(192, 192, 255));
    }

    void style0And1UseTheirOwnRectangle() {
        CButton b;
        b.setLeft(10);
        b.setTop(10);
        b.setRight(60);
        b.setBottom(40);
        b.setAttivo(true);
        b.setActiveColor(winRgb(0, 200, 0));
        QImage img = render(b);
        QCOMPARE(at(img, 10, 10), QColor(0, 0, 0));
        QCOMPARE(at(img, 12, 20), QColor(0, 0, 0)); // inner frame
        QCOMPARE(at(img, 11, 20), QColor(0, 200, 0));
        QCOMPARE(at(img, 60, 35), QColor(10, 20, 30));

        b.setStile(1);
        img = render(b);
        QCOMPARE(at(img, 35, 30), QColor(0, 200, 0)); // offset by 4, filled
        QCOMPARE(at(img, 14, 14), QColor(10, 20, 30)); // the rounded corner
    }

    void drawRoundsHalvesToEven() {
        CButton b;
        b.init("x", 40.5, 10.5, 3, true); // rounds to (10, 40)
        const QImage img = render(b);
        QCOMPARE(at(img, 10, 40), QColor(0, 0, 0));
        QCOMPARE(at(img, 89, 59), QColor(0, 0, 0));
        QCOMPARE(at(img, 90, 59), QColor(10, 20, 30));
    }
};

QTEST_MAIN(TestCButton)
#include "tst_cbutton.moc"
