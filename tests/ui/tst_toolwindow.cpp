// The tool-window kit on real widgets: tiled painting, drawn buttons with
// their icons and click labels, the shaped outline and its tab.
#include "ui/FormRegion.h"
#include "ui/Mnemonics.h"
#include "ui/ToolWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QToolButton>

namespace {

class KitWindow : public ToolWindow {
public:
    explicit KitWindow(Frame frame) : ToolWindow(nullptr, frame) {
        setClientSize(320, 120);
        buttons().resize(3);
        buttons()[0].init(QStringLiteral("Uno"), 10, 10, 2, true);
        buttons()[1].init(QStringLiteral("Due"), 40, 10, 2, false);
        buttons()[2].init(QStringLiteral("Tre"), 10, 150, 2, true);
        QPixmap red(20, 20);
        red.fill(Qt::red);
        createButtonControls({red, red});
        connect(this, &ToolWindow::buttonClicked, this,
                [this](int index) { clicks.append(index); });
    }
    QList<int> clicks;
    using ToolWindow::createButtonControls;
    using ToolWindow::repaintButtons;
};

// 10 x 10 tile: blue with one green pixel at its top-left corner.
QPixmap markedTile() {
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    img.setPixelColor(0, 0, QColor(0, 255, 0));
    return QPixmap::fromImage(img);
}

} // namespace

class TstToolWindow : public QObject {
    Q_OBJECT
private slots:
    void controlsLieOverButtons();
    void labelsReportClicksOfEveryButton();
    void paintsTileAndEveryButton();
    void shapedWindowOutlineAndTab();
    void ordinaryWindowKeepsItsFrame();
    void keyboardPressesActiveButtonsOnly();
    void readersSeePushButtons();
    void doubleClickIsOneClick();
    void captionsNameTheirFields();
};

void TstToolWindow::controlsLieOverButtons() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    for (int i = 0; i < 3; ++i) {
        const CButton& b = w.buttons()[size_t(i)];
        auto* label = w.findChild<ClickLabel*>(QStringLiteral("lblShape_%1").arg(i));
        auto* icon = w.findChild<QLabel*>(QStringLiteral("icone_%1").arg(i));
        QVERIFY(label && icon);
        QCOMPARE(label->geometry(), QRect(int(b.Left()), int(b.Top()), 100, 25));
        QCOMPARE(icon->geometry(), QRect(int(b.Left()) + 3, int(b.Top()) + 3, 20, 20));
    }
    QVERIFY(w.icone(2)->pixmap().isNull()); // no picture given for it
    // Recreating after a change replaces the controls instead of adding more.
    w.buttons()[2].setLeft(200);
    w.createButtonControls();
    QCOMPARE(w.findChildren<ClickLabel*>().size(), 3);
    QCOMPARE(w.findChildren<QLabel*>(QStringLiteral("icone_2")).size(), 1);
    QCOMPARE(w.lblShape(2)->x(), 200);
    QVERIFY(!w.lblShape(3));
}

void TstToolWindow::labelsReportClicksOfEveryButton() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.lblShape(2), Qt::LeftButton);
    QTest::mouseClick(w.lblShape(1), Qt::LeftButton); // inactive: the window decides
    QTest::mouseClick(w.lblShape(0), Qt::RightButton);
    // A click lands on the label even over the icon.
    QTest::mouseClick(w.clientArea()->childAt(15, 15), Qt::LeftButton);
    // Pressed inside and let go outside: no click.
    QTest::mousePress(w.lblShape(2), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(w.lblShape(2), Qt::LeftButton, {}, QPoint(-5, 5));
    QCOMPARE(w.clicks, (QList<int>{2, 1, 0}));
}

void TstToolWindow::paintsTileAndEveryButton() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    w.setTile(markedTile());
    w.resize(320, 120);
    const QImage img = w.clientArea()->grab().toImage();
    // The tile repeats from the client area's top-left corner.
    QCOMPARE(img.pixelColor(0, 0), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(10, 100), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(310, 110), QColor(0, 255, 0));
    QCOMPARE(img.pixelColor(311, 110), QColor(0, 0, 255));
    // Active button: white body and blue-grey square; inactive: grey.
    QCOMPARE(img.pixelColor(150 + 95, 10 + 20), QColor(255, 255, 255));
    QCOMPARE(img.pixelColor(150 + 12, 10 + 23), QColor(192, 192, 255));
    QCOMPARE(img.pixelColor(10 + 95, 40 + 20), QColor(192, 192, 192));
    QCOMPARE(img.pixelColor(10, 40), QColor(120, 120, 120)); // one-pixel outline
    QCOMPARE(img.pixelColor(11, 41), QColor(160, 160, 160));
}

void TstToolWindow::shapedWindowOutlineAndTab() {
    KitWindow w(ToolWindow::Frame::Shaped);
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(w.clientOrigin(), QPoint(3, 21));
    QCOMPARE(w.size(), QSize(326, 144));
    QCOMPARE(w.clientArea()->geometry(), QRect(3, 21, 320, 120));
    w.move(100, 100);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.mask(), buildFormRegion(326, 144, 18, 3, 3));

    // The close button sits in the tab, inside the outline.
    QToolButton* close = w.closeButton();
    QVERIFY(close && close->isVisible());
    QVERIFY(w.mask().boundingRect().contains(close->geometry()));
    QVERIFY(close->x() >= 326 - 3 - 65);

    // Dragging the tab moves the window.
    const QPoint grip(326 - 3 - 50, 10);
    const QPoint before = w.pos();
    QTest::mousePress(&w, Qt::LeftButton, {}, grip);
    QMouseEvent move(QEvent::MouseMove, QPointF(grip + QPoint(30, 20)),
                     QPointF(w.mapToGlobal(grip + QPoint(30, 20))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, grip + QPoint(30, 20));
    QCOMPARE(w.pos(), before + QPoint(30, 20));
    // A press outside the tab does not drag.
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(100, 10));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(100, 10));
    QCOMPARE(w.pos(), before + QPoint(30, 20));

    // Closing clears the outline; showing again builds it again.
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QVERIFY(w.mask().isEmpty());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.mask(), buildFormRegion(326, 144, 18, 3, 3));
}

void TstToolWindow::ordinaryWindowKeepsItsFrame() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!(w.windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(w.mask().isEmpty());
    QVERIFY(!w.closeButton());
    QTest::keyClick(&w, Qt::Key_Escape); // closes only through its buttons
    QVERIFY(w.isVisible());
    QCOMPARE(w.clientArea()->geometry(), QRect(0, 0, 320, 120));
}

void TstToolWindow::keyboardPressesActiveButtonsOnly() {
    // The first letter no earlier button took: "Esci" after "Elimina" gets s.
    QCOMPARE(chooseMnemonics({"Nuovo", "Elimina", "Esci", "E", "1 Vai"}),
             (QList<int>{0, 0, 1, -1, 2}));
    KitWindow w(ToolWindow::Frame::Ordinary);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_T, Qt::AltModifier);
    QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier); // "Due" is inactive
    // Tab skips the inactive button; Space and Enter press, Ctrl+Space not.
    w.lblShape(0)->setFocus();
    QTest::keyClick(w.lblShape(0), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), w.lblShape(2));
    // The focus mark: a black ring outside, a white one inside it.
    const QImage mark = w.lblShape(2)->grab().toImage();
    const int mid = mark.height() / 2;
    QCOMPARE(QColor(mark.pixel(1, mid)), QColor(Qt::black));
    QCOMPARE(QColor(mark.pixel(3, mid)), QColor(Qt::white));
    QCOMPARE(QColor(mark.pixel(mark.width() - 2, mid)), QColor(Qt::black));
    QTest::keyClick(w.lblShape(2), Qt::Key_Space);
    QTest::keyClick(w.lblShape(2), Qt::Key_Return);
    QTest::keyClick(w.lblShape(2), Qt::Key_Space, Qt::ControlModifier);
    w.lblShape(1)->setFocus();
    QTest::keyClick(w.lblShape(1), Qt::Key_Space);
    QCOMPARE(w.clicks, (QList<int>{2, 2, 2}));
    // A key held down presses once, whatever it repeats.
    w.clicks.clear();
    for (bool repeat : {false, true, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "),
                        repeat);
        QApplication::sendEvent(w.lblShape(2), &press);
    }
    QCOMPARE(w.clicks, QList<int>{2});
    // Made active, it joins the Tab order.
    w.buttons()[1].setAttivo(true);
    w.repaintButtons();
    QCOMPARE(w.lblShape(1)->focusPolicy(), Qt::TabFocus);
}

void TstToolWindow::readersSeePushButtons() {
    KitWindow w(ToolWindow::Frame::Shaped);
    QAccessibleInterface* uno = QAccessible::queryAccessibleInterface(w.lblShape(0));
    QAccessibleInterface* due = QAccessible::queryAccessibleInterface(w.lblShape(1));
    QCOMPARE(uno->role(), QAccessible::PushButton);
    QCOMPARE(uno->text(QAccessible::Name), QString("Uno"));
    QCOMPARE(uno->text(QAccessible::Accelerator), QString("Alt+U"));
    QVERIFY(!uno->state().disabled);
    QVERIFY(due->state().disabled);
    // Pressed after the reader's call has returned; an inactive one not at all.
    const QString press = QAccessibleActionInterface::pressAction();
    due->actionInterface()->doAction(press);
    uno->actionInterface()->doAction(press);
    QVERIFY(w.clicks.isEmpty());
    QTRY_COMPARE(w.clicks, QList<int>{0});
}

void TstToolWindow::doubleClickIsOneClick() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Through the window, as the platform delivers it.
    const QPoint at = w.lblShape(2)->mapTo(&w, QPoint(50, 12));
    QTest::mouseDClick(w.windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(w.clicks, QList<int>{2});
}

void TstToolWindow::captionsNameTheirFields() {
    KitWindow w(ToolWindow::Frame::Ordinary);
    QWidget* area = w.clientArea();
    // "Testo" just above its box, "Attivo" just right of its check box.
    auto* testo = new QLabel("Testo", area);
    testo->setGeometry(10, 70, 40, 16);
    auto* box = new QLineEdit(area);
    box->setGeometry(10, 88, 120, 22);
    auto* tick = new QCheckBox(area);
    tick->setGeometry(200, 70, 13, 13);
    auto* attivo = new QLabel("Attivo", area);
    attivo->setGeometry(216, 70, 40, 16);
    auto* far = new QLabel("Lontano", area);
    far->setGeometry(280, 10, 40, 16);
    w.show();
    QCOMPARE(testo->buddy(), box);
    QCOMPARE(attivo->buddy(), tick);
    QVERIFY(!far->buddy());
    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name), QString("Testo"));
}

QTEST_MAIN(TstToolWindow)
#include "tst_toolwindow.moc"
