// The program's pictures: sizes, real content, distinct icons, seamless
// tiles, and that each is built once.
#include "ui/AppIcon.h"
#include "ui/Artwork.h"

#include <QImage>
#include <QSet>
#include <QtTest>

namespace {
const QStringList kIconNames = {"nuovo", "modifica", "elimina", "conferma", "annulla",
                                "esci",  "apri",     "salva",   "invia"};

// At least `minShare` of the pixels are visible and more than one colour shows.
bool isDrawn(const QPixmap& pm, double minShare) {
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    int visible = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) > 0) {
                ++visible;
                colours.insert(c);
            }
        }
    }
    return colours.size() > 1 && visible >= minShare * img.width() * img.height();
}

bool isOpaque(const QPixmap& pm) {
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 255)
                return false;
    return true;
}

int diff(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

// Mean change across the wrap-around edge, against the largest mean change
// between neighbouring columns (or rows) inside the tile.
void checkSeamless(const QImage& img) {
    auto colStep = [&](int x0, int x1) {
        double sum = 0;
        for (int y = 0; y < img.height(); ++y)
            sum += diff(img.pixel(x0, y), img.pixel(x1, y));
        return sum / img.height();
    };
    auto rowStep = [&](int y0, int y1) {
        double sum = 0;
        for (int x = 0; x < img.width(); ++x)
            sum += diff(img.pixel(x, y0), img.pixel(x, y1));
        return sum / img.width();
    };
    double maxCol = 0, maxRow = 0;
    for (int x = 0; x + 1 < img.width(); ++x)
        maxCol = std::max(maxCol, colStep(x, x + 1));
    for (int y = 0; y + 1 < img.height(); ++y)
        maxRow = std::max(maxRow, rowStep(y, y + 1));
    QVERIFY(colStep(img.width() - 1, 0) <= maxCol * 1.2 + 1);
    QVERIFY(rowStep(img.height() - 1, 0) <= maxRow * 1.2 + 1);
}
} // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    void tilesAreOpaqueSeamlessAndSubdued();
    void iconsAreDistinctSymbols();
    void smallPictures();
    void aboutPicture();
    void appIconAtEverySize();
    void builtOnce();
};

void TestArtwork::tilesAreOpaqueSeamlessAndSubdued() {
    const QPixmap main = Artwork::mainTile(), tool = Artwork::toolTile();
    QCOMPARE(main.size(), QSize(64, 64));
    QCOMPARE(tool.size(), QSize(43, 42));
    for (const QPixmap& tile : {main, tool}) {
        QVERIFY(isOpaque(tile));
        QVERIFY(isDrawn(tile, 1.0));
        checkSeamless(tile.toImage().convertToFormat(QImage::Format_ARGB32));
    }
    // Subdued: the main tile is dark enough for light text over it, the tool
    // tile light enough for dark captions.
    auto meanGrey = [](const QPixmap& pm) {
        const QImage img = pm.toImage();
        double sum = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                sum += qGray(img.pixel(x, y));
        return sum / (img.width() * img.height());
    };
    QVERIFY(meanGrey(main) < 110);
    QVERIFY(meanGrey(tool) > 170);
}

void TestArtwork::iconsAreDistinctSymbols() {
    QList<QImage> images;
    for (const QString& name : kIconNames) {
        const QPixmap pm = Artwork::icon(name);
        QCOMPARE(pm.size(), QSize(20, 20));
        QVERIFY2(isDrawn(pm, 0.15), qPrintable(name));
        QVERIFY2(!isOpaque(pm), qPrintable(name)); // drawn over the button's face
        images << pm.toImage();
    }
    images << Artwork::icon(QStringLiteral("sconosciuto")).toImage();
    QCOMPARE(images.last().size(), QSize(20, 20));
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    QCOMPARE(Artwork::icon(QStringLiteral("Salva")).toImage(), images[7]);
}

void TestArtwork::smallPictures() {
    QList<QImage> menu;
    for (int i = 0; i < 4; ++i) {
        const QPixmap pm = Artwork::menuPicture(i);
        QCOMPARE(pm.size(), QSize(13, 13));
        QVERIFY(isDrawn(pm, 0.2));
        menu << pm.toImage();
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            QVERIFY(menu[i] != menu[j]);
    QCOMPARE(Artwork::menuPicture(9).size(), QSize(13, 13));
    QVERIFY(!isDrawn(Artwork::menuPicture(-1), 0.01));

    const QPixmap on = Artwork::connectPicture(), off = Artwork::disconnectPicture();
    QCOMPARE(on.size(), QSize(16, 16));
    QCOMPARE(off.size(), QSize(16, 16));
    QVERIFY(isDrawn(on, 0.15));
    QVERIFY(isDrawn(off, 0.15));
    QVERIFY(on.toImage() != off.toImage());

    for (int i = 0; i < 2; ++i) {
        QCOMPARE(Artwork::decoration(i).size(), QSize(48, 48));
        QVERIFY(isDrawn(Artwork::decoration(i), 0.4));
    }
    QVERIFY(Artwork::decoration(0).toImage() != Artwork::decoration(1).toImage());
    QCOMPARE(Artwork::decoration(5).size(), QSize(48, 48));
}

void TestArtwork::aboutPicture() {
    const QPixmap pm = Artwork::aboutPicture();
    QCOMPARE(pm.size(), QSize(385, 249));
    QVERIFY(isOpaque(pm));
    QVERIFY(isDrawn(pm, 1.0));
    // A frame runs round the edge: the corners match each other, not the
    // screen inside.
    const QImage img = pm.toImage();
    QCOMPARE(img.pixel(1, 1), img.pixel(383, 247));
    QVERIFY(diff(img.pixel(1, 124), img.pixel(8, 124)) > 60);
}

void TestArtwork::appIconAtEverySize() {
    // At 48 pixels it is the seal the main window shows, pixel for pixel.
    QCOMPARE(Artwork::appIcon(48).convertToFormat(QImage::Format_ARGB32),
             Artwork::decoration(1).toImage().convertToFormat(QImage::Format_ARGB32));
    for (int size : {16, 24, 256}) {
        const QImage icon = Artwork::appIcon(size);
        QCOMPARE(icon.size(), QSize(size, size));
        QVERIFY(isDrawn(QPixmap::fromImage(icon), 0.4));
        // A round seal: clear corners, an opaque middle.
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(size - 1, size - 1)), 0);
        QCOMPARE(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
    // The windows' icon draws the same picture at each size it offers.
    const QIcon windows = AppIcon::make();
    QCOMPARE(windows.availableSizes().size(), qsizetype(std::size(AppIcon::kSizes)));
    for (int size : {16, 256})
        QCOMPARE(windows.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                 Artwork::appIcon(size).convertToFormat(QImage::Format_ARGB32));
}

void TestArtwork::builtOnce() {
    QCOMPARE(Artwork::mainTile().cacheKey(), Artwork::mainTile().cacheKey());
    QCOMPARE(Artwork::icon(QStringLiteral("invia")).cacheKey(),
             Artwork::icon(QStringLiteral("invia")).cacheKey());
    QCOMPARE(Artwork::menuPicture(2).cacheKey(), Artwork::menuPicture(2).cacheKey());
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
