#include "ui/Artwork.h"
#include "ui/FrmAbout.h"

#include <QLabel>
#include <QTest>

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void lookAndButton() {
        FrmAbout w;
        QCOMPARE(w.windowTitle(), QString("About"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(w.size(), QSize(385, 250));
        QCOMPARE(w.minimumSize(), w.maximumSize()); // not resizable
        QCOMPARE(w.button().Caption(), QString("Chiudi"));
        QCOMPARE(w.button().Stile(), 2);
        QVERIFY(w.button().Attivo());
        QCOMPARE(w.lblshape()->objectName(), QString("lblshape"));
        QCOMPARE(w.lblshape()->geometry(), QRect(270, 205, 100, 25));

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QImage img = w.grab().toImage();
        // The picture is the background.
        const QImage pic = Artwork::aboutPicture().toImage();
        QCOMPARE(QColor(img.pixel(100, 100)), QColor(pic.pixel(100, 100)));
        QCOMPARE(QColor(img.pixel(200, 30)), QColor(pic.pixel(200, 30)));
        // Shape1 frames the window.
        QCOMPARE(QColor(img.pixel(0, 0)), QColor(Qt::black));
        QCOMPARE(QColor(img.pixel(384, 120)), QColor(Qt::black));
        // The button is drawn over the picture: square and white body.
        QCOMPARE(QColor(img.pixel(275, 210)), QColor(192, 192, 255));
        QCOMPARE(QColor(img.pixel(367, 227)), QColor(Qt::white));
        QCOMPARE(QColor(img.pixel(270, 205)), QColor(Qt::black));
    }

    void onlyChiudiCloses() {
        FrmAbout w;
        w.move(40, 30);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QPoint pos = w.pos();
        // Clicks and drags elsewhere do nothing, not even move the window.
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(265, 215));
        QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(&w, QPoint(150, 120));
        QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(150, 120));
        QVERIFY(w.isVisible());
        QCOMPARE(w.pos(), pos);
        // Anywhere on the button closes it, its far corner too.
        QTest::mouseClick(w.lblshape(), Qt::LeftButton, {}, QPoint(99, 24));
        QTRY_VERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
