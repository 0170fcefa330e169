// The note composer's colour swatches: a double click is one click, and for
// the keyboard and screen readers they are buttons named after their colours.
#include "notes/FrmNota.h"
#include "support/RecordingDisplay.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class TestFrmNotaKeys : public QObject {
    Q_OBJECT

    struct Rig {
        RecordingDisplay display;
        FrmNota w{display, [](const QString&) {}};
        Rig() {
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
        }
        ClickLabel* swatch(int i) { return w.findChild<ClickLabel*>(QString("sphCol_%1").arg(i)); }
        QPlainTextEdit* nota() { return w.findChild<QPlainTextEdit*>("txtNota"); }
    };

private slots:
    void doubleClickOnSwatchInsertsOnce() {
        Rig r;
        QTest::keyClick(&r.w, Qt::Key_N, Qt::AltModifier); // Nuovo opens the fields
        QVERIFY(r.nota()->isEnabled());
        const QPoint at = r.swatch(3)->mapTo(&r.w, QPoint(8, 8));
        QTest::mouseDClick(r.w.windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(r.nota()->toPlainText(), QString("{{R"));
    }

    void swatchesAreNamedButtons() {
        Rig r;
        const QStringList expected{
            "Grigio scuro", "Grigio chiaro", "Rosso scuro",      "Rosso",
            "Verde scuro",  "Verde",         "Giallo scuro",     "Giallo",
            "Blu scuro",    "Blu",           "Magenta scuro",    "Magenta",
            "Ciano scuro",  "Ciano",         "Bianco, codice Z", "Bianco, codice p"};
        QStringList names;
        for (int i = 0; i < 16; ++i) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(r.swatch(i));
            QCOMPARE(a->role(), QAccessible::PushButton);
            names << a->text(QAccessible::Name);
        }
        QCOMPARE(names, expected);

        // A reader's press inserts the colour as a click would.
        QTest::keyClick(&r.w, Qt::Key_N, Qt::AltModifier);
        QAccessible::queryAccessibleInterface(r.swatch(9))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(r.nota()->toPlainText(), QString("{{B"));
    }
};

QTEST_MAIN(TestFrmNotaKeys)
#include "tst_frmnota_keys.moc"
