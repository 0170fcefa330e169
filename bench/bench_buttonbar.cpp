// Cost of the main window's surface painting (tiled background, two pictures,
// ten drawn buttons) at a large window size, the repaints a sweep of the
// pointer across the bar causes, and the alias walk of one Enter with a full
// AliasList.
//
//   bench_buttonbar [--width W --height H --paints N]
#include "automation/PairTable.h"
#include "client/MainSurface.h"
#include "commands/CommandLine.h"
#include "commands/MainButtons.h"
#include "ui/Artwork.h"
#include "ui/ClickLabel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>

namespace {

int argValue(const QStringList& args, const QString& name, int fallback) {
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
}

// Which button is highlighted, 0 for none.
int highlighted(const ButtonBar& bar) {
    for (size_t i = 0; i < bar.size(); ++i)
        if (bar[i].Selezionato())
            return int(i) + 1;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int width = argValue(args, "--width", 1920);
    const int height = argValue(args, "--height", 1040);
    const int paints = argValue(args, "--paints", 300);

    ButtonBar bar;
    CButton connect, disconnect;
    MainSurface surface(bar, connect, disconnect);
    connect.init("Connetti", 5, 180, 3, true, winRgb(255, 255, 128), 250, 25);
    disconnect.init("Disconnetti", 5, 265, 3, false, winRgb(255, 255, 128), 335, 25);
    for (int i = 0; i < 8; ++i) {
        bar[size_t(i)].init(QString("Tasto %1").arg(i + 1), 40, 10 + 85 * i, 3, true);
        bar[size_t(i)].setAzione("guarda");
    }
    MainButtons buttons(&surface, bar, connect, disconnect);
    MainPictures pics;
    pics.background = Artwork::mainTile();
    for (size_t i = 0; i < 2; ++i) {
        pics.image1[i] = Artwork::decoration(int(i));
        pics.image1Rect[i] = QRect(QPoint(700 + int(i) * 56, 6), pics.image1[i].size());
    }
    pics.imgConn = Artwork::connectPicture();
    pics.imgDisc = Artwork::disconnectPicture();
    surface.setPictures(pics);

    // Whole-surface paint into an image of the window's size.
    QImage target(width, height, QImage::Format_RGB32);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < paints; ++i) {
        bar[size_t(i % 8)].setSelezionato(i % 2 == 0);
        QPainter p(&target);
        surface.paint(p, target.size());
    }
    const double perPaint = double(t.nsecsElapsed()) / 1e6 / paints;
    std::printf("surface %dx%d: %.3f ms per full repaint (%d repaints)\n", width, height, perPaint,
                paints);

    // A sweep of the pointer across the bar, one move per pixel: only moves
    // that change the highlight ask for a repaint.
    surface.resize(width, height);
    surface.show();
    app.processEvents();
    int moves = 0, changes = 0;
    for (int x = 10; x < 10 + 85 * 8; ++x) {
        const int before = highlighted(bar);
        const int n = (x - 10) / 85 + 1;
        QLabel* cell = buttons.cell(n);
        const QPoint local(x - cell->x(), 10);
        if (local.x() >= cell->width()) {
            QMouseEvent e(QEvent::MouseMove, QPointF(x, 50), QPointF(x, 50), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&surface, &e);
        } else {
            QMouseEvent e(QEvent::MouseMove, QPointF(local), QPointF(x, 50), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(cell, &e);
        }
        ++moves;
        app.processEvents();
        changes += highlighted(bar) != before;
    }
    std::printf("pointer sweep over the bar: %d moves, %d of them change the highlight and "
                "repaint\n",
                moves, changes);

    // One Enter walks the whole AliasList.
    PairTable aliases;
    for (int i = 0; i < PairTable::kMaxEntries; ++i) {
        aliases.texts << QString("alias%1").arg(i);
        aliases.actions << QString("comando %1").arg(i);
    }
    aliases.texts << QString();
    aliases.actions << QString();
    aliases.count = PairTable::kMaxEntries;
    const int enters = 200;
    t.restart();
    qsizetype total = 0;
    for (int i = 0; i < enters; ++i)
        total += CommandLine::lineToSend(QString("ALIAS%1 goblin").arg(i * 97), &aliases).size();
    std::printf("Enter with %d aliases: %.3f ms per line (%lld characters sent)\n",
                PairTable::kMaxEntries, double(t.nsecsElapsed()) / 1e6 / enters,
                static_cast<long long>(total));
    return 0;
}
