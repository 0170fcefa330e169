// The note composer by keyboard and by screen reader: its drawn buttons and
// colour swatches as buttons, and a double click on a swatch as one click.
#include "commands/RecordingSink.h"
#include "notes/FrmNota.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

class TestFrmNotaKeys : public QObject {
    Q_OBJECT

    struct Rig {
        RecordingSink display;
        QStringList written;
        FrmNota w{display, [this](const QString& s) { written << s; }};
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
        // Two separate clicks are two.
        QTest::mouseClick(r.w.windowHandle(), Qt::LeftButton, {}, at);
        QCOMPARE(r.nota()->toPlainText(), QString("{{R{{R"));
    }

    void swatchesAreNamedButtons() {
        Rig r;
        const QStringList expected{"Grigio scuro", "Grigio chiaro", "Rosso scuro",   "Rosso",
                                   "Verde scuro",  "Verde",         "Giallo scuro",  "Giallo",
                                   "Blu scuro",    "Blu",           "Magenta scuro", "Magenta",
                                   "Ciano scuro",  "Ciano",         "Bianco",        "Bianco"};
        QStringList names;
        for (int i = 0; i < 16; ++i) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(r.swatch(i));
            QCOMPARE(a->role(), QAccessible::PushButton);
            names << a->text(QAccessible::Name);
        }
        QCOMPARE(names, expected);

        // Tab from the body reaches the swatches; Space inserts the colour and
        // the reader's press too, and the body keeps its text for the next line.
        QTest::keyClick(&r.w, Qt::Key_N, Qt::AltModifier);
        r.nota()->setFocus();
        QTest::keyClicks(r.nota(), "ciao ");
        QTest::keyClick(r.nota(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), r.swatch(0));
        QTest::keyClick(r.swatch(0), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(r.nota()->toPlainText(), QString("ciao {{G"));
        QAccessible::queryAccessibleInterface(r.swatch(9))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(r.nota()->toPlainText(), QString("ciao {{G{{B"));
    }

    void altLettersPressTheButtons() {
        Rig r;
        // Nuovo, Invia, Annulla, Esci, Apri, Salva: N, I, A, E, p, S.
        QList<int> letters;
        for (const CButton& b : r.w.buttons())
            letters << b.Mnemonic();
        QCOMPARE(letters, (QList<int>{0, 0, 0, 0, 1, 0}));
        QTest::keyClick(&r.w, Qt::Key_I, Qt::AltModifier); // Invia is inactive
        QVERIFY(r.written.isEmpty());
        QVERIFY(!r.nota()->isEnabled());
        QTest::keyClick(&r.w, Qt::Key_N, Qt::AltModifier);
        QVERIFY(r.nota()->isEnabled());
        QCOMPARE(QApplication::focusWidget(), r.w.findChild<QLineEdit*>("txtDest"));
        QTest::keyClick(&r.w, Qt::Key_A, Qt::AltModifier); // Annulla
        QVERIFY(!r.nota()->isEnabled());
        QTest::keyClick(&r.w, Qt::Key_E, Qt::AltModifier); // Esci
        QVERIFY(!r.w.isVisible());
    }
};

QTEST_MAIN(TestFrmNotaKeys)
#include "tst_frmnota_keys.moc"
