#include "ui/Artwork.h"

#include "files/OneHeap.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QThread>
#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kInk(45, 40, 35);

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Painter with smooth edges, for icons and emblems.
struct Smooth : QPainter {
    explicit Smooth(QImage* img) : QPainter(img) {
        setRenderHint(QPainter::Antialiasing);
        setRenderHint(QPainter::TextAntialiasing);
    }
};

QPen inkPen(double width = 1.2) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

int clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Fills every pixel from a base colour shifted by `shade`, a function that
// must repeat with the image's size so the tile joins without seams.
void shadePixels(QImage& img, QColor base, const std::function<int(int, int)>& shade) {
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int s = shade(x, y);
            line[x] = qRgb(clamp255(base.red() + s), clamp255(base.green() + s),
                           clamp255(base.blue() + s * 4 / 5));
        }
    }
}

// ----- tiles -----

QPixmap buildMainTile() {
    constexpr int S = 64;
    QImage img(S, S, QImage::Format_RGB32);
    QRandomGenerator rng(64);
    shadePixels(img, QColor(74, 69, 62), [&](int x, int y) {
        const double wave =
            5 * std::sin(2 * kPi * x / S * 2 + 1.3) * std::cos(2 * kPi * y / S * 3) +
            3 * std::sin(2 * kPi * (x + y) / S);
        return int(wave) + int(rng.bounded(11)) - 5;
    });
    // Mortar between staggered blocks; the joints sit on the tile's edges or
    // repeat within it, so the wall continues across tiles.
    QPainter p(&img);
    const QColor mortar(48, 44, 40), lit(98, 92, 84);
    for (int row = 0; row < 2; ++row) {
        const int top = row * 32;
        p.setPen(mortar);
        p.drawLine(0, top, S - 1, top);
        p.setPen(lit);
        p.drawLine(0, top + 1, S - 1, top + 1);
        for (int x = row * 16; x < S; x += 32) {
            p.setPen(mortar);
            p.drawLine(x, top + 1, x, top + 31);
            p.setPen(lit);
            p.drawLine(x + 1, top + 2, x + 1, top + 31);
        }
    }
    return QPixmap::fromImage(img);
}

QPixmap buildToolTile() {
    constexpr int W = 43, H = 42;
    QImage img(W, H, QImage::Format_RGB32);
    QRandomGenerator rng(43);
    shadePixels(img, QColor(222, 207, 172), [&](int x, int y) {
        const double wave = 4 * std::sin(2 * kPi * x / W + 0.7) * std::sin(2 * kPi * y / H * 2) +
                            2 * std::cos(2 * kPi * (x / double(W) - y / double(H)));
        return int(wave) + int(rng.bounded(7)) - 3;
    });
    // Paper fibres, drawn in all neighbouring copies so they wrap.
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 9; ++i) {
        const QPointF a(rng.bounded(W), rng.bounded(H));
        const QPointF b = a + QPointF(rng.bounded(14) - 7, rng.bounded(6) - 3);
        p.setPen(QPen(i % 2 ? QColor(196, 178, 140, 150) : QColor(236, 224, 196, 170), 0.8));
        for (int dx = -W; dx <= W; dx += W)
            for (int dy = -H; dy <= H; dy += H)
                p.drawLine(a + QPointF(dx, dy), b + QPointF(dx, dy));
    }
    return QPixmap::fromImage(img);
}

// ----- 20x20 icons -----

void drawNuovo(QPainter& p) {
    QPolygonF sheet({{4, 1.5}, {12.5, 1.5}, {16.5, 5.5}, {16.5, 18.5}, {4, 18.5}});
    p.setPen(inkPen());
    p.setBrush(Qt::white);
    p.drawPolygon(sheet);
    p.drawPolyline(QPolygonF({{12.5, 1.5}, {12.5, 5.5}, {16.5, 5.5}}));
    p.setPen(QPen(QColor(170, 170, 170), 1));
    for (double y = 8; y <= 11; y += 3)
        p.drawLine(QPointF(6.5, y), QPointF(13.5, y));
    p.setPen(QPen(QColor(20, 90, 20), 1));
    p.setBrush(QColor(60, 170, 60));
    p.drawEllipse(QPointF(14, 14.5), 4.8, 4.8);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 12), QPointF(14, 17));
    p.drawLine(QPointF(11.5, 14.5), QPointF(16.5, 14.5));
}

void drawModifica(QPainter& p) {
    p.translate(10, 10);
    p.rotate(-45);
    p.setPen(inkPen(1));
    p.setBrush(QColor(235, 130, 150));
    p.drawRoundedRect(QRectF(-9, -2.6, 2.6, 5.2), 1, 1);
    p.setBrush(QColor(180, 180, 190));
    p.drawRect(QRectF(-6.4, -2.6, 1.8, 5.2));
    p.setBrush(QColor(240, 190, 50));
    p.drawRect(QRectF(-4.6, -2.6, 9.6, 5.2));
    p.setBrush(QColor(240, 220, 180));
    p.drawPolygon(QPolygonF({{5, -2.6}, {9.5, 0}, {5, 2.6}}));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({{8, -0.9}, {9.5, 0}, {8, 0.9}}));
}

void drawElimina(QPainter& p) {
    p.setPen(inkPen());
    p.setBrush(QColor(190, 190, 196));
    p.drawPolygon(QPolygonF({{5, 6}, {15, 6}, {14, 18.5}, {6, 18.5}}));
    p.drawRoundedRect(QRectF(3.5, 3.5, 13, 2.5), 1, 1);
    p.drawRect(QRectF(8, 1.5, 4, 2));
    p.setPen(QPen(QColor(110, 110, 118), 1));
    for (double x = 8; x <= 12; x += 2)
        p.drawLine(QPointF(x, 8.5), QPointF(x, 16.5));
    p.setPen(QPen(QColor(200, 30, 30), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 10.5), QPointF(18, 16));
    p.drawLine(QPointF(18, 10.5), QPointF(12.5, 16));
}

void drawConferma(QPainter& p) {
    QPainterPath tick;
    tick.moveTo(3, 10.5);
    tick.lineTo(8, 15.5);
    tick.lineTo(17, 4.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 80, 20), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.setPen(QPen(QColor(70, 190, 70), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

void drawAnnulla(QPainter& p) {
    p.setPen(QPen(QColor(120, 20, 20), 1));
    p.setBrush(QColor(215, 45, 45));
    p.drawEllipse(QPointF(10, 10), 8.5, 8.5);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(10, 10), 5.6, 5.6);
    p.setPen(QPen(QColor(215, 45, 45), 2.6));
    p.drawLine(QPointF(6, 14), QPointF(14, 6));
}

void drawEsci(QPainter& p) {
    p.setPen(inkPen());
    p.setBrush(QColor(150, 95, 50));
    p.drawRect(QRectF(2.5, 1.5, 9, 17));
    p.setBrush(QColor(230, 200, 90));
    p.drawEllipse(QPointF(9.5, 10), 1, 1);
    QPolygonF arrow({{9, 8}, {14, 8}, {14, 5}, {19, 10}, {14, 15}, {14, 12}, {9, 12}});
    p.setPen(QPen(QColor(20, 90, 20), 1));
    p.setBrush(QColor(70, 185, 70));
    p.drawPolygon(arrow);
}

void drawApri(QPainter& p) {
    p.setPen(inkPen(1));
    p.setBrush(QColor(205, 160, 50));
    p.drawPolygon(QPolygonF({{1.5, 4}, {7, 4}, {8.5, 6}, {16.5, 6}, {16.5, 17}, {1.5, 17}}));
    p.setBrush(QColor(250, 210, 90));
    p.drawPolygon(QPolygonF({{4.5, 9}, {19, 9}, {16.5, 17}, {1.5, 17}}));
}

void drawSalva(QPainter& p) {
    p.setPen(inkPen(1));
    p.setBrush(QColor(50, 85, 170));
    p.drawRoundedRect(QRectF(2, 2, 16, 16), 2, 2);
    p.setBrush(QColor(205, 205, 210));
    p.drawRect(QRectF(6, 2, 8, 6));
    p.setBrush(QColor(50, 85, 170));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(11, 3, 2, 4));
    p.setPen(inkPen(0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 11, 7));
    p.setPen(QPen(QColor(170, 170, 170), 1));
    p.drawLine(QPointF(6, 13), QPointF(14, 13));
    p.drawLine(QPointF(6, 15.5), QPointF(14, 15.5));
}

void drawInvia(QPainter& p) {
    p.setPen(inkPen(1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 5.5, 14, 10));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{1.5, 5.5}, {8.5, 11}, {15.5, 5.5}}));
    p.setPen(QPen(QColor(20, 90, 20), 1));
    p.setBrush(QColor(70, 185, 70));
    p.drawPolygon(QPolygonF(
        {{12, 12.5}, {15, 12.5}, {15, 10}, {19, 14.5}, {15, 19}, {15, 16.5}, {12, 16.5}}));
}

void drawUnknown(QPainter& p) {
    p.setPen(inkPen(1.5));
    p.setBrush(QColor(235, 235, 240));
    p.drawEllipse(QPointF(10, 10), 8, 8);
    QPainterPath q;
    q.moveTo(7, 7.5);
    q.cubicTo(7, 3.5, 13.5, 3.5, 13, 7.5);
    q.cubicTo(12.7, 9.5, 10, 9.5, 10, 12);
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(10, 15), 0.8, 0.8);
}

QPixmap buildIcon(const QString& name) {
    static const QHash<QString, void (*)(QPainter&)> painters = {
        {QStringLiteral("nuovo"), drawNuovo},     {QStringLiteral("modifica"), drawModifica},
        {QStringLiteral("elimina"), drawElimina}, {QStringLiteral("conferma"), drawConferma},
        {QStringLiteral("annulla"), drawAnnulla}, {QStringLiteral("esci"), drawEsci},
        {QStringLiteral("apri"), drawApri},       {QStringLiteral("salva"), drawSalva},
        {QStringLiteral("invia"), drawInvia}};
    QImage img = canvas(20, 20);
    Smooth p(&img);
    painters.value(name.toLower(), drawUnknown)(p);
    p.end();
    return QPixmap::fromImage(img);
}

// ----- 13x13 menu pictures -----

QPixmap buildMenuPicture(int i) {
    QImage img = canvas(13, 13);
    Smooth p(&img);
    switch (i) {
    case 0: // trigger: a bolt, text that sets off an action
        p.setPen(inkPen(0.8));
        p.setBrush(QColor(250, 200, 40));
        p.drawPolygon(QPolygonF(
            {{7.5, 0.5}, {2, 7.5}, {5.8, 7.5}, {4, 12.5}, {11, 5}, {7.2, 5}, {9.5, 0.5}}));
        break;
    case 1: { // alias: a short word that turns into a longer one
        p.setPen(QPen(QColor(40, 80, 170), 1.6, Qt::SolidLine, Qt::RoundCap));
        QPainterPath path;
        path.moveTo(1.5, 10.5);
        path.cubicTo(1.5, 4, 5, 3.5, 9, 3.5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 80, 170));
        p.drawPolygon(QPolygonF({{8, 0.5}, {12.5, 3.5}, {8, 6.5}}));
        p.drawRect(QRectF(5, 9, 7, 2.5));
        break;
    }
    case 2: // bottoni: a raised button
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 96));
        p.drawRoundedRect(QRectF(1, 3, 11.5, 8), 1.5, 1.5);
        p.setBrush(QColor(235, 235, 240));
        p.drawRoundedRect(QRectF(0.5, 2.5, 11, 7.5), 1.5, 1.5);
        p.setBrush(QColor(200, 60, 60));
        p.drawEllipse(QPointF(6, 6.2), 1.8, 1.8);
        break;
    case 3: // nota: a pinned sheet
        p.setPen(inkPen(0.8));
        p.setBrush(QColor(255, 252, 235));
        p.drawRect(QRectF(2, 1.5, 9, 11));
        p.setPen(QPen(QColor(150, 150, 150), 0.8));
        for (double y = 5; y <= 10; y += 2.5)
            p.drawLine(QPointF(3.5, y), QPointF(9.5, y));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 40, 40));
        p.drawEllipse(QPointF(6.5, 2), 1.5, 1.5);
        break;
    default:
        break;
    }
    p.end();
    return QPixmap::fromImage(img);
}

// ----- connection pictures (16x16) -----

void drawLink(QPainter& p, QPointF centre, QColor colour) {
    p.save();
    p.translate(centre);
    p.rotate(-45);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour.darker(160), 3.2));
    p.drawRoundedRect(QRectF(-4.5, -2.5, 9, 5), 2.5, 2.5);
    p.setPen(QPen(colour, 1.8));
    p.drawRoundedRect(QRectF(-4.5, -2.5, 9, 5), 2.5, 2.5);
    p.restore();
}

QPixmap buildConnectionPicture(bool connected) {
    QImage img = canvas(16, 16);
    Smooth p(&img);
    if (connected) {
        const QColor green(60, 180, 60);
        drawLink(p, QPointF(5.8, 10.2), green);
        drawLink(p, QPointF(10.2, 5.8), green);
    } else {
        const QColor red(210, 50, 50);
        drawLink(p, QPointF(4.5, 11.5), red);
        drawLink(p, QPointF(11.5, 4.5), red);
        p.setPen(QPen(QColor(240, 170, 30), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6.5, 6.5), QPointF(8, 8));
        p.drawLine(QPointF(8.5, 5.5), QPointF(8.5, 7.5));
        p.drawLine(QPointF(5.5, 8.5), QPointF(7.5, 8.5));
    }
    p.end();
    return QPixmap::fromImage(img);
}

// ----- 48x48 emblems -----

QPixmap buildShield() {
    QImage img = canvas(48, 48);
    Smooth p(&img);
    QPainterPath shield;
    shield.moveTo(6, 4);
    shield.lineTo(42, 4);
    shield.lineTo(42, 22);
    shield.cubicTo(42, 34, 32, 41, 24, 45);
    shield.cubicTo(16, 41, 6, 34, 6, 22);
    shield.closeSubpath();
    QLinearGradient field(0, 4, 0, 45);
    field.setColorAt(0, QColor(50, 70, 150));
    field.setColorAt(1, QColor(20, 30, 80));
    p.setBrush(field);
    p.setPen(QPen(QColor(210, 170, 70), 2.5));
    p.drawPath(shield);
    // A sword down the middle.
    p.setPen(QPen(QColor(60, 60, 70), 0.8));
    p.setBrush(QColor(225, 228, 235));
    p.drawPolygon(QPolygonF({{22.5, 30}, {22.5, 12}, {24, 9}, {25.5, 12}, {25.5, 30}}));
    p.setBrush(QColor(210, 170, 70));
    p.drawRoundedRect(QRectF(16, 29.5, 16, 3), 1.5, 1.5);
    p.setBrush(QColor(110, 60, 30));
    p.drawRect(QRectF(22.8, 32.5, 2.4, 5));
    p.setBrush(QColor(210, 170, 70));
    p.drawEllipse(QPointF(24, 39), 2, 2);
    p.end();
    return QPixmap::fromImage(img);
}

// Drawn in a 48x48 box; the painter's scale sizes it.
void paintFlameSeal(QPainter& p) {
    QRadialGradient disc(QPointF(20, 18), 26);
    disc.setColorAt(0, QColor(150, 40, 40));
    disc.setColorAt(1, QColor(70, 15, 20));
    p.setBrush(disc);
    p.setPen(QPen(QColor(210, 170, 70), 2.5));
    p.drawEllipse(QPointF(24, 24), 21, 21);
    p.setPen(QPen(QColor(210, 170, 70, 150), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(24, 24), 17, 17);
    QPainterPath flame;
    flame.moveTo(24, 9);
    flame.cubicTo(30, 17, 34, 22, 32, 29);
    flame.cubicTo(30.5, 35, 26, 37, 24, 37);
    flame.cubicTo(18, 37, 15, 32, 16.5, 26);
    flame.cubicTo(17.5, 22, 21, 20, 20.5, 15);
    flame.cubicTo(23, 18, 23.5, 13, 24, 9);
    QLinearGradient fire(0, 9, 0, 37);
    fire.setColorAt(0, QColor(255, 240, 150));
    fire.setColorAt(0.6, QColor(250, 170, 40));
    fire.setColorAt(1, QColor(220, 90, 20));
    p.setPen(QPen(QColor(120, 50, 10), 0.8));
    p.setBrush(fire);
    p.drawPath(flame);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(140, 200, 255, 200));
    p.drawEllipse(QPointF(24, 31), 3, 4);
}

QPixmap buildFlameSeal() {
    QImage img = canvas(48, 48);
    Smooth p(&img);
    paintFlameSeal(p);
    p.end();
    return QPixmap::fromImage(img);
}

// ----- about picture (385x249) -----

QFont titleFont(int pixelSize, bool bold, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QImage buildAboutPicture() {
    constexpr int W = 385, H = 249;
    QImage img(W, H, QImage::Format_RGB32);
    Smooth p(&img);
    // A game screen: dark, with rows of coloured words scrolling by.
    QLinearGradient screen(0, 0, 0, H);
    screen.setColorAt(0, QColor(14, 16, 28));
    screen.setColorAt(1, QColor(8, 10, 16));
    p.fillRect(0, 0, W, H, screen);
    static const QColor palette[] = {{120, 120, 120}, {200, 200, 200}, {240, 0, 0},
                                     {0, 240, 0},     {240, 240, 0},   {0, 240, 240},
                                     {240, 0, 240},   {240, 240, 240}, {0, 120, 120}};
    QRandomGenerator rng(385);
    p.setPen(Qt::NoPen);
    for (int y = 8; y < H - 6; y += 10) {
        QColor colour = palette[rng.bounded(int(std::size(palette)))];
        for (int x = 8; x < W - 20;) {
            const int word = 6 + rng.bounded(30);
            if (rng.bounded(5) == 0)
                colour = palette[rng.bounded(int(std::size(palette)))];
            colour.setAlpha(70);
            p.setBrush(colour);
            p.drawRoundedRect(QRectF(x, y, std::min(word, W - 12 - x), 4), 1.5, 1.5);
            x += word + 5;
            if (rng.bounded(9) == 0)
                break; // a short line
        }
    }
    // The title, over a darker band so the words behind it stay quiet.
    QLinearGradient band(0, 10, 0, 108);
    band.setColorAt(0, QColor(8, 10, 16, 0));
    band.setColorAt(0.25, QColor(8, 10, 16, 170));
    band.setColorAt(0.75, QColor(8, 10, 16, 170));
    band.setColorAt(1, QColor(8, 10, 16, 0));
    p.fillRect(QRectF(0, 10, W, 98), band);
    const QRectF titleBox(0, 14, W, 64);
    p.setFont(titleFont(48, true));
    p.setPen(QColor(0, 0, 0, 200));
    p.drawText(titleBox.translated(3, 3), Qt::AlignCenter, QStringLiteral("Varendor"));
    p.setPen(QColor(232, 192, 92));
    p.drawText(titleBox, Qt::AlignCenter, QStringLiteral("Varendor"));
    p.setFont(titleFont(13, false, true));
    p.setPen(QColor(210, 200, 180));
    p.drawText(QRectF(0, 76, W, 20), Qt::AlignCenter,
               QStringLiteral("il client per il gioco di ruolo testuale"));
    p.setPen(QPen(QColor(232, 192, 92, 160), 1));
    p.drawLine(QPointF(92, 100), QPointF(W - 92, 100));

    // The box with version and credits, left of where the close button sits.
    const QRectF box(16, 116, 238, 118);
    p.setPen(QPen(QColor(150, 110, 50), 1.5));
    p.setBrush(QColor(240, 226, 190, 235));
    p.drawRoundedRect(box, 6, 6);
    QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        version = QStringLiteral("1.0");
    p.setPen(QColor(60, 40, 20));
    p.setFont(titleFont(15, true));
    p.drawText(box.adjusted(12, 8, -12, 0), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("Versione ") + version);
    QFont small = titleFont(11, false);
    p.setFont(small);
    p.drawText(box.adjusted(12, 34, -12, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Programmazione e grafica:\nla squadra di Varendor\n\n"
                              "Grazie a tutti i giocatori del borgo."));
    // Outer frame.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(232, 192, 92), 2));
    p.drawRect(QRectF(1, 1, W - 2, H - 2));
    p.end();
    return img;
}

} // namespace

namespace Artwork {

QPixmap mainTile() {
    static const QPixmap pm = buildMainTile();
    return pm;
}

QPixmap toolTile() {
    static const QPixmap pm = buildToolTile();
    return pm;
}

QPixmap icon(const QString& name) {
    static QHash<QString, QPixmap> cache;
    const QString key = name.toLower();
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, buildIcon(key));
    return *it;
}

QPixmap menuPicture(int i) {
    static QHash<int, QPixmap> cache;
    const int key = (i >= 0 && i <= 3) ? i : -1;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, buildMenuPicture(key));
    return *it;
}

QPixmap connectPicture() {
    static const QPixmap pm = buildConnectionPicture(true);
    return pm;
}

QPixmap disconnectPicture() {
    static const QPixmap pm = buildConnectionPicture(false);
    return pm;
}

QPixmap decoration(int i) {
    static const QPixmap shield = buildShield();
    static const QPixmap seal = buildFlameSeal();
    return (i % 2 == 0) ? shield : seal;
}

QPixmap aboutPicture() {
    // Painted on a thread of its own: the title's faces, with their glyphs,
    // belong to that thread's font cache and are let go when it ends, instead
    // of staying loaded all session for a picture seen once at start.
    QImage picture;
    std::unique_ptr<QThread> painter(
        QThread::create([&picture] { picture = buildAboutPicture(); }));
    painter->start();
    painter->wait();
    // The thread's allocations went to a heap of its own, which keeps its
    // pages after the thread ends unless told.
    giveBackFreedPages();
    return QPixmap::fromImage(std::move(picture));
}

QImage appIcon(int size) {
    QImage img = canvas(size, size);
    Smooth p(&img);
    p.scale(size / 48.0, size / 48.0);
    paintFlameSeal(p);
    p.end();
    return img;
}

} // namespace Artwork
