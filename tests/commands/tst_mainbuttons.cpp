#include "commands/CommandLine.h"
#include "support/commands/MainButtonsRig.h"
#include "ui/ClickLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTextEdit>

class TestMainButtons : public QObject {
    Q_OBJECT

    // The main window's buttons as start-up creates them, on a plain surface.
    using Rig = MainButtonsRig<>;

private slots:
    void cellsLieOverTheButtons() {
        Rig r;
        QVERIFY(!r.cell(0));
        QVERIFY(!r.cell(11));
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(r.cell(n)->geometry(), QRect(10 + 85 * (n - 1), 40, 80, 20));
        QCOMPARE(r.cell(9)->geometry(), QRect(180, 5, 80, 20));
        QCOMPARE(r.cell(10)->geometry(), QRect(265, 5, 80, 20));
    }

    void barClicksSendActiveButtons() {
        Rig r;
        r.click(1);
        QVERIFY(r.written.isEmpty());
        r.activate(1, "");
        r.activate(5, QString::fromUtf8("dì§ciao<%>look"));
        r.click(1);
        r.click(5);
        r.click(6);
        QCOMPARE(r.written, (QStringList{"\r\n", QString::fromUtf8("dì'ciao\r\nlook\r\n")}));
        QCOMPARE(r.display.pieces.last().colour, EchoGrey);
        // Any mouse button; a double click's second press sends nothing more.
        QTest::mousePress(r.cell(1), Qt::RightButton, {}, QPoint(3, 3));
        QCOMPARE(r.written.size(), 3);
        QTest::mouseClick(r.cell(1), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseDClick(r.cell(1), Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(r.written.size(), 4);
    }

    void functionKeysPressTheBar() {
        Rig r;
        r.buttons->installKeys(&r.surface);
        QVERIFY(QTest::qWaitForWindowActive(&r.surface));
        r.activate(2, "nord");
        r.activate(8, "sud");
        // As clicks would: empty and inactive buttons send nothing.
        for (Qt::Key key : {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F8})
            QTest::keyClick(&r.surface, key);
        QCOMPARE(r.written, (QStringList{"nord\r\n", "sud\r\n"}));

        // Also from another window of the program that does not block this one...
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::keyClick(&other, Qt::Key_F2);
        QCOMPARE(r.written.size(), 3);
        // ...but not while a modal window is open.
        QDialog modal;
        modal.setModal(true);
        modal.show();
        QVERIFY(QTest::qWaitForWindowActive(&modal));
        QTest::keyClick(&modal, Qt::Key_F2);
        QCOMPARE(r.written.size(), 3);
    }

    void cellsAreButtonsForReaders() {
        Rig r;
        r.activate(1, "guarda");
        r.buttons->RepaintMain();
        auto reader = [&](int n) { return QAccessible::queryAccessibleInterface(r.cell(n)); };
        QCOMPARE(reader(10)->text(QAccessible::Name), QString("Disconnetti"));
        QCOMPARE(reader(2)->text(QAccessible::Accelerator), QString("F2"));
        QVERIFY(reader(10)->state().disabled);
        QCOMPARE(r.cell(10)->focusPolicy(), Qt::NoFocus);
        QVERIFY(!reader(1)->state().disabled);
        // Pressed by a reader, Connetti swaps the pair; so do readers' states.
        r.connectSucceeds = true;
        reader(9)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(r.calls, QStringList{"connetti"});
        QVERIFY(reader(9)->state().disabled);
        QCOMPARE(r.cell(10)->focusPolicy(), Qt::TabFocus);
    }
};

QTEST_MAIN(TestMainButtons)
#include "tst_mainbuttons.moc"
