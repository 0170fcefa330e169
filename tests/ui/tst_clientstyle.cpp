// The client's style draws the overflow arrow of menu and tool bars itself,
// so a window with a menu bar starts without loading any image plugin.
#include "ui/ClientStyle.h"

#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QtTest>

namespace {
QImage drawn(const QIcon& icon) {
    return icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
}
int inkOf(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qAlpha(image.pixel(x, y)) > 0;
    return ink;
}
} // namespace

class TstClientStyle : public QObject {
    Q_OBJECT
private slots:
    void aMenuBarLoadsNoImagePlugin() {
        QApplication::setStyle(new ClientStyle);
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("&File"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY2(!maps.readAll().contains("imageformats"), "an image plugin was loaded");
    }

    void theArrowsAreDrawnAlongTheirBar() {
        ClientStyle style;
        const QImage across =
            drawn(style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton));
        const QImage down = drawn(style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton));
        QVERIFY(inkOf(across) > 10);
        QVERIFY(inkOf(down) > 10);
        QVERIFY(across != down);
        QTransform quarterTurn;
        quarterTurn.rotate(90);
        QCOMPARE(inkOf(across.transformed(quarterTurn)), inkOf(down));
    }
};

QTEST_MAIN(TstClientStyle)
#include "tst_clientstyle.moc"
