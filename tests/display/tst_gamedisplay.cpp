#include "display/GameDisplay.h"
#include "support/PaintCounter.h"
#include "ui/DisplayFont.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {
const QRgb red = qRgb(240, 0, 0);
const QRgb green = qRgb(0, 240, 0);
const QRgb grey = qRgb(160, 160, 160);

void addLines(GameDisplay& d, int from, int count) {
    for (int i = from; i < from + count; ++i)
        d.insertText(QStringLiteral("riga %1\r\n").arg(i));
}

// The text of the line shown at the top of the view.
QString topLineText(const GameDisplay& d) {
    return d.buffer().lineText(d.buffer().lineFromRow(d.topRow()));
}

QPoint centreOf(const GameDisplay& d, int pos) {
    return d.characterRect(pos).center();
}

bool isNear(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int countNear(const QImage& img, const QRect& area, QRgb colour, int tolerance) {
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += isNear(img.pixel(x, y), colour, tolerance);
    return n;
}
} // namespace

class TstGameDisplay : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void insertKeepsAttributesAndAlwaysAppends();
    void trimKeepsFiveHundredOneLines();
    void followsBottomUnlessScrolledUp();
    void wrapsAtColumnsAndRewrapsOnResize();
    void hugeLineStaysUsable();
    void mouseSelectionAndCopy();
    void contextMenuCopiesAndSelectsAll();
    void pixelsShowBackgroundAndRunColour();
    void signalsForMouseAndFocus();
    void frozenHoldsLayoutUntilThawed();
    void textPaintsAtOnceThenOncePerFrame();
    void accessibleText();
    void accessibleAnnouncements();
    void shownRangeStaysWhileTextArrives();
};

void TstGameDisplay::defaults() {
    GameDisplay d;
    QCOMPARE(d.objectName(), QStringLiteral("rtbDisplay"));
    QCOMPARE(d.font().family(), DisplayFont::make().family()); // by name, never "Courier"
    QCOMPARE(d.font().pointSizeF(), 9.75);
    QVERIFY(d.font().fixedPitch());
    QCOMPARE(d.font().styleHint(), QFont::TypeWriter);
    QCOMPARE(d.selColor(), qRgb(255, 255, 255));
    QVERIFY(!d.selBold());
    QCOMPARE(d.textLength(), 0);
    QCOMPARE(d.lastLine(), 0);
    QCOMPARE(d.selStart(), 0);
}

void TstGameDisplay::insertKeepsAttributesAndAlwaysAppends() {
    GameDisplay d;
    DisplaySink& sink = d;
    sink.setSelColor(red);
    sink.insertText(u"abc");
    sink.setSelBold(true);
    sink.setSelColor(green);
    sink.insertText(u"de\r\nf");
    QCOMPARE(d.buffer().text(), QStringLiteral("abcde\nf"));
    QCOMPARE(d.buffer().colourAt(1), red);
    QVERIFY(!d.buffer().boldAt(2));
    QCOMPARE(d.buffer().colourAt(3), green);
    QVERIFY(d.buffer().boldAt(6));
    QCOMPARE(d.selStart(), d.textLength());
    QCOMPARE(d.lineFromChar(6), 1);
    QCOMPARE(sink.lastLine(), 1);

    // The insertion point can be read and moved, but text still goes at the end.
    d.setSelStart(2);
    QCOMPARE(d.selStart(), 2);
    d.insertText(u"X");
    QCOMPARE(d.buffer().text(), QStringLiteral("abcde\nfX"));
    QCOMPARE(d.selStart(), d.textLength());
    d.setSelStart(1000);
    QCOMPARE(d.selStart(), d.textLength());
}

void TstGameDisplay::trimKeepsFiveHundredOneLines() {
    GameDisplay d;
    // The way the text path keeps the display short after each chunk.
    for (int i = 0; i < 600; ++i) {
        addLines(d, i, 1);
        const int last = d.lineFromChar(d.selStart());
        if (last >= 500) {
            d.setUpdatesFrozen(true);
            d.removeLeadingLines(last - 500);
            d.setUpdatesFrozen(false);
        }
    }
    QCOMPARE(d.lastLine(), 500);
    QCOMPARE(d.buffer().lineCount(), 501);
    QCOMPARE(d.buffer().lineText(0), QStringLiteral("riga 100"));
    QCOMPARE(d.buffer().lineText(499), QStringLiteral("riga 599"));
    d.removeLeadingLines(d.lastLine() - 10);
    QCOMPARE(d.buffer().lineText(0), QStringLiteral("riga 590"));
    QCOMPARE(d.selStart(), d.textLength());
    // Never the last line, however many are asked for.
    d.removeLeadingLines(1000);
    QCOMPARE(d.buffer().lineCount(), 1);
    QCOMPARE(d.buffer().text(), QString());
    QCOMPARE(d.selStart(), 0);
}

void TstGameDisplay::followsBottomUnlessScrolledUp() {
    GameDisplay d;
    d.resize(400, 300);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QScrollBar* bar = d.verticalScrollBar();
    addLines(d, 0, 100);
    QTRY_VERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(d.followsBottom());
    QCOMPARE(d.topRow() + d.rows(), d.buffer().rowCount());

    d.scrollPages(-1);
    QVERIFY(!d.followsBottom());
    const QString top = topLineText(d);
    addLines(d, 100, 50);
    QTRY_COMPARE(bar->maximum(), d.buffer().rowCount() - d.rows());
    QCOMPARE(topLineText(d), top);
    QVERIFY(bar->value() < bar->maximum());
    // Trimming the top does not move the text under the player's eyes.
    d.removeLeadingLines(20);
    QCoreApplication::processEvents();
    QCOMPARE(topLineText(d), top);
    QCOMPARE(bar->value(), d.topRow());

    // Dragging the bar to the end follows again.
    bar->setValue(bar->maximum());
    QVERIFY(d.followsBottom());
    addLines(d, 150, 10);
    QTRY_COMPARE(bar->value(), bar->maximum());
    QCOMPARE(d.buffer().lineText(d.buffer().lineFromRow(d.topRow() + d.rows() - 2)),
             QStringLiteral("riga 159"));

    // Page keys, and the way back to the newest text.
    QTest::keyClick(&d, Qt::Key_PageUp);
    QVERIFY(!d.followsBottom());
    QCOMPARE(bar->value(), bar->maximum() - d.rows());
    d.scrollPages(-1000);
    QCOMPARE(d.topRow(), 0);
    d.scrollToBottom();
    QVERIFY(d.followsBottom());
    QCOMPARE(bar->value(), bar->maximum());
}

void TstGameDisplay::wrapsAtColumnsAndRewrapsOnResize() {
    GameDisplay d;
    QSignalSpy sizes(&d, &GameDisplay::viewSizeChanged);
    d.resize(500, 300);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const int cols = d.columns();
    QVERIFY(cols > 10);
    QCOMPARE(cols, int((d.viewport()->width() - 4) / d.cellSize().width()));
    QCOMPARE(d.rows(), int(d.viewport()->height() / d.cellSize().height()));
    QVERIFY(!sizes.isEmpty());
    QCOMPARE(sizes.last().at(0).toInt(), cols);

    addLines(d, 0, 30);
    d.insertText(QString(300, u'x') + "\r\n");
    d.insertText(u"fine");
    auto expectedRows = [&](int c) { return 30 + (300 + c - 1) / c + 1; };
    QCOMPARE(d.buffer().rowCount(), expectedRows(cols));

    // Scrolled up, the top line stays on top through a rewrap.
    d.scrollPages(-1);
    d.scrollPages(-1);
    const QString top = topLineText(d);
    d.resize(250, 300);
    QTRY_VERIFY(d.columns() < cols);
    QCOMPARE(d.buffer().rowCount(), expectedRows(d.columns()));
    QCOMPARE(sizes.last().at(0).toInt(), d.columns());
    QCOMPARE(topLineText(d), top);
    QVERIFY(!d.followsBottom());
}

void TstGameDisplay::hugeLineStaysUsable() {
    GameDisplay d;
    d.resize(400, 300);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QString chunk(1000, u'z');
    for (int i = 0; i < 1024; ++i) {
        d.setSelColor(i % 2 ? red : green);
        d.insertText(chunk);
    }
    // The line goes on over display lines of at most kMaxLineLength.
    const int total = 1024 * 1000, full = int(DisplayBuffer::kMaxLineLength);
    const int lines = (total + full - 1) / full;
    QCOMPARE(d.lastLine(), lines - 1);
    QCOMPARE(d.textLength(), total + lines - 1);
    const int cols = d.columns();
    const int tail = total - (lines - 1) * full;
    QCOMPARE(d.buffer().rowCount(),
             (lines - 1) * ((full + cols - 1) / cols) + (tail + cols - 1) / cols);
    QVERIFY(!d.viewport()->grab().isNull());
    d.insertText(u"\r\nok");
    QCOMPARE(d.lastLine(), lines);
    QCOMPARE(d.buffer().lineText(lines), QStringLiteral("ok"));
}

void TstGameDisplay::mouseSelectionAndCopy() {
    GameDisplay d;
    d.resize(400, 300);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.insertText(u"ciao mondo\r\nseconda riga");
    const int caret = d.selStart();
    QWidget* vp = d.viewport();

    // Press-drag from the left edge of "ciao" to the left edge of the space.
    const QRect c0 = d.characterRect(0);
    const QRect c4 = d.characterRect(4);
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(c0.left() + 1, c0.center().y()));
    QTest::mouseMove(vp, QPoint(c4.left() + 1, c4.center().y()));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(c4.left() + 1, c4.center().y()));
    QCOMPARE(d.selectedText(), QStringLiteral("ciao"));
    QCOMPARE(d.selStart(), caret); // the insertion point does not move

    d.setFocus();
    QTest::keyClick(&d, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ciao"));

    // Shift-click extends from the same anchor into the next line.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, centreOf(d, 18) - QPoint(2, 0));
    QCOMPARE(d.selectedText(), QStringLiteral("ciao mondo\nseconda"));

    // Double-click picks the word under the pointer.
    QTest::mouseDClick(vp, Qt::LeftButton, {}, centreOf(d, 7));
    QCOMPARE(d.selectedText(), QStringLiteral("mondo"));
    QTest::mouseDClick(vp, Qt::LeftButton, {}, centreOf(d, 4));
    QCOMPARE(d.selectedText(), QStringLiteral(" "));

    // The selection holds on to its text while the top is trimmed, and a
    // selection trimmed away entirely is gone.
    d.setSelection(11, 18);
    d.removeLeadingLines(1);
    QCOMPARE(d.selectedText(), QStringLiteral("seconda"));
    d.setSelection(0, 3);
    d.insertText(u"\r\naltro");
    d.removeLeadingLines(1);
    QVERIFY(!d.hasSelection());
    QCOMPARE(d.selStart(), d.textLength());
}

void TstGameDisplay::contextMenuCopiesAndSelectsAll() {
    GameDisplay d;
    d.insertText(u"uno\r\ndue");
    std::unique_ptr<QMenu> menu(d.createContextMenu(nullptr));
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QStringLiteral("Copia"));
    QCOMPARE(actions[1]->text(), QStringLiteral("Seleziona tutto"));
    QVERIFY(!actions[0]->isEnabled()); // nothing selected yet
    actions[1]->trigger();
    QCOMPARE(d.selectedText(), QStringLiteral("uno\ndue"));
    std::unique_ptr<QMenu> again(d.createContextMenu(nullptr));
    QVERIFY(again->actions()[0]->isEnabled());
    QGuiApplication::clipboard()->clear();
    again->actions()[0]->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("uno\ndue"));
}

void TstGameDisplay::pixelsShowBackgroundAndRunColour() {
    GameDisplay d;
    d.resize(400, 300);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.setSelBold(true);
    d.setSelColor(red);
    d.insertText(QString(20, u'M') + "\r\n");
    d.setSelColor(qRgb(0, 0, 0));
    d.insertText(u"\r\n");
    d.setSelColor(green);
    d.insertText(QString(20, u'M'));
    d.refresh();
    const QImage img = d.viewport()->grab().toImage();
    const int h = int(d.cellSize().height());
    const QRect row0(0, 0, img.width(), h), row2(0, 2 * h, img.width(), h);
    const QRgb black = qRgb(0, 0, 0);
    QVERIFY(isNear(img.pixel(0, 0), black, 0));
    QVERIFY(isNear(img.pixel(img.width() - 1, img.height() - 1), black, 0));
    QCOMPARE(countNear(img, QRect(0, 3 * h, img.width(), img.height() - 3 * h), black, 0),
             img.width() * (img.height() - 3 * h));
    QVERIFY(countNear(img, row0, red, 40) > 20);
    QCOMPARE(countNear(img, row0, green, 40), 0);
    QVERIFY(countNear(img, row2, green, 40) > 20);
    QCOMPARE(countNear(img, row2, red, 40), 0);

    // A selection shows as a filled band in its row.
    d.setSelection(d.buffer().lineStart(1), d.buffer().lineStart(2));
    const QImage sel = d.viewport()->grab().toImage();
    const QRgb highlight = d.palette().color(QPalette::Highlight).rgb();
    QVERIFY(countNear(sel, QRect(0, h, img.width(), h), highlight, 0) >= (h - 1) * 4);
}

void TstGameDisplay::signalsForMouseAndFocus() {
    QWidget window;
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    auto* d = new GameDisplay(&window);
    d->setGeometry(0, 30, 300, 200);
    window.resize(300, 240);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QSignalSpy moved(d, &GameDisplay::mouseMoved);
    QSignalSpy focused(d, &GameDisplay::focusReceived);
    // Delivered directly: synthetic pointer moves to a spot the pointer
    // already had are dropped by the platform layer.
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 25),
                     d->viewport()->mapToGlobal(QPointF(40, 25)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(d->viewport(), &move);
    QCOMPARE(moved.size(), 1);
    d->setFocus();
    QTRY_COMPARE(focused.size(), 1);
}

void TstGameDisplay::frozenHoldsLayoutUntilThawed() {
    GameDisplay d;
    d.resize(300, 200);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QScrollBar* bar = d.verticalScrollBar();
    d.setUpdatesFrozen(true);
    addLines(d, 0, 100);
    QCoreApplication::processEvents();
    QCOMPARE(bar->maximum(), 0);
    d.setUpdatesFrozen(false);
    QTRY_COMPARE(bar->maximum(), d.buffer().rowCount() - d.rows());
    QCOMPARE(bar->value(), bar->maximum());
}

void TstGameDisplay::textPaintsAtOnceThenOncePerFrame() {
    GameDisplay d;
    d.resize(300, 200);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    PaintCounter counter;
    d.viewport()->installEventFilter(&counter);
    QTest::qWait(50);
    counter.paints = 0;
    addLines(d, 0, 1);
    QTRY_COMPARE(counter.paints, 1);
    // Text arriving pass after pass is drawn about once a frame, whatever
    // the number of passes; the last of it is drawn too, a frame later.
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= 60; ++i) {
        addLines(d, i, 1);
        QCoreApplication::processEvents();
    }
    const int inFlood = counter.paints - 1;
    QVERIFY2(inFlood <= clock.elapsed() / 16 + 2,
             qPrintable(QStringLiteral("%1 paints in %2 ms").arg(inFlood).arg(clock.elapsed())));
    counter.paints = 0;
    d.insertText(u"ultima");
    QTRY_COMPARE(counter.paints, 1);
    QTest::qWait(40);
    QCOMPARE(counter.paints, 1);
}

void TstGameDisplay::accessibleText() {
    GameDisplay d;
    d.resize(300, 200);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    d.insertText(u"primo verso\r\n");
    d.setSelColor(red);
    d.setSelBold(true);
    d.insertText(u"rosso");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&d);
    QVERIFY(iface);
    QAccessibleTextInterface* text = iface->textInterface();
    QVERIFY(text);
    QVERIFY(iface->state().readOnly);
    QCOMPARE(text->characterCount(), d.textLength());
    QCOMPARE(text->text(0, 5), QStringLiteral("primo"));
    int s = -1, e = -1;
    QCOMPARE(text->textAtOffset(3, QAccessible::LineBoundary, &s, &e),
             QStringLiteral("primo verso\n"));
    QCOMPARE(s, 0);
    QCOMPARE(e, 12);
    QCOMPARE(text->textAtOffset(14, QAccessible::LineBoundary, &s, &e), QStringLiteral("rosso"));
    QCOMPARE(text->textAtOffset(8, QAccessible::WordBoundary, &s, &e), QStringLiteral("verso"));
    QCOMPARE(s, 6);
    QCOMPARE(text->textAtOffset(1, QAccessible::CharBoundary, &s, &e), QStringLiteral("r"));
    QCOMPARE(text->textAtOffset(100, QAccessible::CharBoundary, &s, &e), QString());

    QCOMPARE(text->selectionCount(), 0);
    text->setSelection(0, 6, 11);
    QCOMPARE(d.selectedText(), QStringLiteral("verso"));
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &s, &e);
    QCOMPARE(s, 6);
    QCOMPARE(e, 11);
    text->removeSelection(0);
    QVERIFY(!d.hasSelection());

    const QString attrs = text->attributes(13, &s, &e);
    QVERIFY(attrs.contains(QStringLiteral("rgb(240,0,0)")));
    QVERIFY(attrs.contains(QStringLiteral("bold")));
    QCOMPARE(s, 12);
    QCOMPARE(e, 17);
    const QRect r = text->characterRect(12);
    QCOMPARE(text->offsetAtPoint(r.center()), 12);
}

void TstGameDisplay::accessibleAnnouncements() {
    QAccessible::setActive(true);
    if (!QAccessible::isActive())
        QSKIP("this platform has no accessibility bridge to switch on");
    GameDisplay d;
    d.insertText(u"primo verso\r\n");
    QCoreApplication::processEvents();
    // With a reader listening, a burst of pieces is announced once, and a
    // trim says what left the front.
    static QList<std::pair<QAccessible::Event, QString>> events;
    events.clear();
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* ev) {
        if (ev->type() == QAccessible::TextInserted)
            events.append(
                {ev->type(), static_cast<QAccessibleTextInsertEvent*>(ev)->textInserted()});
        else if (ev->type() == QAccessible::TextRemoved)
            events.append(
                {ev->type(), static_cast<QAccessibleTextRemoveEvent*>(ev)->textRemoved()});
    });
    d.insertText(u" uno");
    d.insertText(u" due\r\n");
    d.removeLeadingLines(1);
    QTRY_COMPARE(events.size(), 2);
    QAccessible::setActive(false);
    QAccessible::installUpdateHandler(previous);
    QCOMPARE(events[0], std::make_pair(QAccessible::TextRemoved, QStringLiteral("primo verso\n")));
    QCOMPARE(events[1], std::make_pair(QAccessible::TextInserted, QStringLiteral(" uno due\n")));
}

void TstGameDisplay::shownRangeStaysWhileTextArrives() {
    GameDisplay d;
    d.resize(300, 200);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    addLines(d, 0, 200);
    // A range far up is selected and brought to the middle of the view...
    d.showRange(d.buffer().lineStart(40), d.buffer().lineStart(40) + 7);
    QCOMPARE(d.selectedText(), QStringLiteral("riga 40"));
    const QString top = QStringLiteral("riga %1").arg(40 - d.rows() / 2);
    QCOMPARE(topLineText(d), top);
    // ...and stays there while text arrives and old lines are trimmed.
    addLines(d, 200, 150);
    d.removeLeadingLines(10);
    QCoreApplication::processEvents();
    QCOMPARE(topLineText(d), top);
    QCOMPARE(d.selectedText(), QStringLiteral("riga 40"));
    // One already on the last screen does not scroll, but stops the following.
    d.scrollToBottom();
    const int bottom = d.topRow();
    d.showRange(d.buffer().lineStart(d.lastLine() - 1), d.textLength());
    addLines(d, 350, 20);
    QCoreApplication::processEvents();
    QCOMPARE(d.topRow(), bottom);
}

QTEST_MAIN(TstGameDisplay)
#include "tst_gamedisplay.moc"
