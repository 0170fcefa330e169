// The display's face is chosen by name from the installed families, never
// left to the system's matching; the choice is a pure function of the list.
#include "ui/DisplayFont.h"

#include <QTest>

class TstDisplayFont : public QObject {
    Q_OBJECT
private slots:
    void chooseFamily_data() {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("chosen");
        const QStringList desktop = {"Nimbus Mono PS [UKWN]", "Courier [Adobe]", "DejaVu Sans Mono",
                                     "Liberation Mono", "Noto Mono"};
        QTest::newRow("courier is the screen face") << "Courier" << desktop << "Liberation Mono";
        QTest::newRow("courier new too") << "courier new" << desktop << "Liberation Mono";
        QTest::newRow("empty name") << " " << desktop << "Liberation Mono";
        QTest::newRow("installed face kept") << "noto mono" << desktop << "Noto Mono";
        QTest::newRow("foundry dropped") << "Nimbus Mono PS" << desktop << "Nimbus Mono PS";
        QTest::newRow("missing face") << "Gone Mono" << desktop << "Liberation Mono";
        QTest::newRow("without liberation")
            << "Courier" << QStringList{"Courier", "DejaVu Sans Mono [PfEd]"} << "DejaVu Sans Mono";
        QTest::newRow("neither") << "Courier" << QStringList{"Courier", "Foo"} << "System Mono";
    }
    void chooseFamily() {
        QFETCH(QString, wanted);
        QFETCH(QStringList, installed);
        QFETCH(QString, chosen);
        QCOMPARE(DisplayFont::chooseFamily(wanted, installed, "System Mono [X]"), chosen);
    }

    void madeFontIsFixedPitchAndBounded() {
        for (const auto& [asked, points] :
             {std::pair{9.75, 9.75}, {0.0, 9.75}, {3.0, 6.0}, {100.0, 48.0}, {12.0, 12.0}}) {
            const QFont f = DisplayFont::make("Courier", asked);
            QCOMPARE(f.pointSizeF(), points);
            QVERIFY(f.fixedPitch());
            QCOMPARE(f.styleHint(), QFont::TypeWriter);
            QVERIFY(f.family() != "Courier");
        }
    }
};

QTEST_MAIN(TstDisplayFont)
#include "tst_displayfont.moc"
