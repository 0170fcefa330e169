#include "automation/ColourNumber.h"

#include <QTest>

class TestColourNumber : public QObject {
    Q_OBJECT

private slots:
    void reads_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("value");
        // The notation the editor writes.
        QTest::newRow("pale yellow") << "&H80FFFF" << qint32(0x80FFFF);
        QTest::newRow("white") << "&HFFFFFF" << qint32(0xFFFFFF);
        QTest::newRow("red long") << "&HFF&" << 255;
        QTest::newRow("black long") << "&H0&" << 0;
        QTest::newRow("brown long") << "&H8080&" << 0x8080;
        // Four digits or fewer without "&" are 16-bit signed.
        QTest::newRow("red short") << "&HFF" << 255;
        QTest::newRow("16-bit negative") << "&HC000" << -16384;
        QTest::newRow("16-bit long") << "&HC000&" << 49152;
        QTest::newRow("minus one") << "&HFFFF" << -1;
        QTest::newRow("five digits") << "&H0FFFF" << 65535;
        QTest::newRow("32-bit top") << "&HFFFFFFFF" << -1;
        QTest::newRow("lower case") << "&hc0c0c0" << 0xC0C0C0;
        QTest::newRow("leading blanks") << " \t &H80FFFF" << 0x80FFFF;
        QTest::newRow("stops at non-digit") << "&HFFzz" << 255;
        QTest::newRow("& after stop char") << "&HFF &" << 255;
        QTest::newRow("no hex digits") << "&H" << 0;
        QTest::newRow("hex overflow") << "&H123456789" << 0;
        QTest::newRow("leading zeros fit") << "&H000000000FF" << 255;
        // Anything else is decimal.
        QTest::newRow("decimal") << "8454143" << 8454143;
        QTest::newRow("negative") << "-16384" << -16384;
        QTest::newRow("plus sign") << "+12" << 12;
        QTest::newRow("trailing text") << "255 rosso" << 255;
        QTest::newRow("half down to even") << "2.5" << 2;
        QTest::newRow("half up to even") << "3.5" << 4;
        QTest::newRow("negative half") << "-2.5" << -2;
        QTest::newRow("fraction only") << ".6" << 1;
        QTest::newRow("exponent") << "1.5e3" << 1500;
        QTest::newRow("bare e") << "12e" << 12;
        QTest::newRow("comma is not a point") << "2,9" << 2;
        QTest::newRow("word") << "verde" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("octal is not read") << "&O17" << 0;
        QTest::newRow("decimal overflow") << "4294967296" << 0;
        QTest::newRow("huge exponent") << "1e400" << 0;
        QTest::newRow("32-bit max") << "2147483647" << 2147483647;
        QTest::newRow("32-bit min") << "-2147483648" << qint32(-2147483647 - 1);
    }
    void reads() {
        QFETCH(QString, text);
        QFETCH(qint32, value);
        QCOMPARE(ColourNumber::parse(text), value);
    }
};

QTEST_MAIN(TestColourNumber)
#include "tst_colournumber.moc"
