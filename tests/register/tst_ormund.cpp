#include "FrmIstalla.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A stand-in registration tool that records how many arguments it got and
// the first one, one line per start.
const char kStandIn[] = "#!/bin/sh\n"
                        "printf '%s|%s\\n' \"$#\" \"$1\" >> \"$(dirname \"$0\")/calls.log\"\n";

QStringList readLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}
} // namespace

class TestOrmund : public QObject {
    Q_OBJECT
private slots:
    void window() {
        FrmIstalla w(QDir::tempPath());
        QCOMPARE(w.windowTitle(), QString("Ormund"));
        QCOMPARE(w.size(), QSize(411, 201));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        auto* stato = w.findChild<QLabel*>("lblStato");
        QCOMPARE(stato->geometry(), QRect(8, 8, 393, 153));
        QCOMPARE(stato->palette().color(QPalette::Window), QColor(255, 255, 192));
        QCOMPARE(stato->text(),
                 QString("Cliccare sul pulsante REGISTRA e leggere i attentamente i box.\n"
                         "Se non e' stato possibile registrare tutti i componenti.\n"
                         "Verificare che i file RICHTX32.OCX e CSWSK32.OCX siano pr esenti\n"
                         "nella directory di questo eseguibile e riprovare.\n\n"
                         "Se i problemi persistono provare a registrare i componenti "
                         "manualmente\ncome indicato nel file README.TXT"));
        // Every line shows whole, with no breaks of its own.
        QVERIFY(!stato->wordWrap());
        QVERIFY(QFontMetrics(stato->font())
                    .boundingRect(stato->contentsRect(), 0, stato->text())
                    .width() <= stato->contentsRect().width());
        QVERIFY(FrmIstalla::kInstructions.contains("riprovare.\r\n\r\nSe i problemi"));
        auto* registra = w.findChild<QPushButton*>("Command1");
        auto* esci = w.findChild<QPushButton*>("Command2");
        QCOMPARE(registra->text(), QString("REGISTRA"));
        QCOMPARE(registra->geometry(), QRect(216, 168, 89, 25));
        QCOMPARE(esci->text(), QString("ESCI"));
        QCOMPARE(esci->geometry(), QRect(312, 168, 89, 25));
        QCOMPARE(FrmIstalla::commandLine("/a b", "CSWSK32.OCX"),
                 QString("regsvr32 \"/a b\"\\CSWSK32.OCX"));

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Only ESCI and the close box close the window; Escape does not.
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(esci, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QTest::mouseClick(esci, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        w.show();
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
    }

    void registraStartsTheToolForEachComponent() {
        QTemporaryDir tmp;
        const QString folder = tmp.filePath("Programmi di gioco/Var endor");
        QVERIFY(QDir().mkpath(folder));
        put(folder + "/regsvr32", kStandIn);
        QVERIFY(QFile::setPermissions(folder + "/regsvr32",
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

        FrmIstalla w(folder);
        auto* registra = w.findChild<QPushButton*>("Command1");
        w.show();
        QTest::mouseClick(registra, Qt::LeftButton);
        QTest::mouseClick(registra, Qt::LeftButton);
        const QString log = folder + "/calls.log";
        QTRY_COMPARE(readLines(log).size(), 4);
        QStringList calls = readLines(log);
        calls.sort(); // the processes run side by side, in any order
        const QString a = "1|" + folder + "\\CSWSK32.OCX";
        const QString b = "1|" + folder + "\\RICHTX32.OCX";
        QCOMPARE(calls, (QStringList{a, a, b, b}));
    }

    void missingToolIsPassedOver() {
        QTemporaryDir tmp;
        QString path = qgetenv("PATH");
        qputenv("PATH", tmp.path().toUtf8()); // no registration tool anywhere
        FrmIstalla w(tmp.path());
        w.Command1_Click();
        qputenv("PATH", path.toUtf8());
        QVERIFY(QDir(tmp.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestOrmund)
#include "tst_ormund.moc"
