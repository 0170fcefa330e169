#include "CommandLine.h"
#include "FrmIstalla.h"
#include "ProcessStart.h"
#include "Registration.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestRegistration : public QObject {
    Q_OBJECT

    static int runTool(const QString& line) {
        // The tool run as Ormund runs it, but silently and waited for.
        QStringList args = CommandLine::split(line);
        args.removeFirst();
        args.prepend("/s");
        // Silent runs need no display.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(ORMUND_TOOL), args);
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
        return p.exitCode();
    }

private slots:
    void splitsLikeThePlatformParser() {
        // The quoted folder and the unquoted rest are one argument.
        QCOMPARE(CommandLine::split("regsvr32 \"C:\\Giochi\\Var endor\"\\RICHTX32.OCX"),
                 (QStringList{"regsvr32", "C:\\Giochi\\Var endor\\RICHTX32.OCX"}));
        QCOMPARE(CommandLine::split("  a\tb  \"c d\" e\"f g\"h \"\""),
                 (QStringList{"a", "b", "c d", "ef gh", ""}));
        // Backslashes count only before a quote.
        QCOMPARE(CommandLine::split("p a\\\\b a\\\\\\\"b \"a\\\\\" \"x\\\"y\" c\\"),
                 (QStringList{"p", "a\\\\b", "a\\\"b", "a\\", "x\"y", "c\\"}));
        // A doubled quote inside quotes is a quote; an open quote runs to the end.
        QCOMPARE(CommandLine::split("p \"a\"\"b\" \"open end"),
                 (QStringList{"p", "a\"b", "open end"}));
        // The program name takes no escapes.
        QCOMPARE(CommandLine::split("\"C:\\Pro gram\\\"x y"),
                 (QStringList{"C:\\Pro gram\\x", "y"}));
        QVERIFY(CommandLine::split("   ").isEmpty());
    }

    void toolChecksTheComponentFile() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Gioco con spazi");
        QVERIFY(QDir().mkpath(folder));
        put(folder + "/RICHTX32.OCX", "x");

        Registration::Outcome ok = Registration::run({folder + "\\RICHTX32.OCX"});
        QCOMPARE(ok.exitCode, 0);
        QVERIFY(!ok.silent);
        QVERIFY(ok.message.contains(folder + "\\RICHTX32.OCX"));
        QVERIFY(ok.message.contains("riuscita"));
        Registration::Outcome missing = Registration::run({"/S", folder + "/CSWSK32.OCX"});
        QCOMPARE(missing.exitCode, 3);
        QVERIFY(missing.silent);
        QVERIFY(missing.message.contains("CSWSK32.OCX"));
        QCOMPARE(Registration::run({folder}).exitCode, 3); // a folder is no component
        QCOMPARE(Registration::run({}).exitCode, 1);
        QCOMPARE(Registration::run({"a", "b"}).exitCode, 1);

        // The real tool, called with Ormund's own command lines.
        QCOMPARE(runTool(FrmIstalla::commandLine(folder, "RICHTX32.OCX")), 0);
        QCOMPARE(runTool(FrmIstalla::commandLine(folder, "CSWSK32.OCX")), 3);
    }

    void buildPutsEverythingBesideOrmund() {
        const QDir out(QStringLiteral(ORMUND_OUT));
        for (const char* name : {"Ormund", "regsvr32", "README.TXT", "RICHTX32.OCX", "CSWSK32.OCX"})
            QVERIFY2(out.exists(name), name);
        QCOMPARE(QFileInfo(QStringLiteral(ORMUND_TOOL)).absolutePath(), out.absolutePath());
        // The shipped components register.
        QCOMPARE(runTool(FrmIstalla::commandLine(out.absolutePath(), "RICHTX32.OCX")), 0);
        QCOMPARE(runTool(FrmIstalla::commandLine(out.absolutePath(), "CSWSK32.OCX")), 0);
    }

    void programLookup() {
        QTemporaryDir dir;
        QCOMPARE(ProcessStart::resolveProgram("regsvr32", QFileInfo(ORMUND_TOOL).absolutePath()),
                 QFileInfo(ORMUND_TOOL).absoluteFilePath());
        // Not found anywhere: the start fails quietly.
        QVERIFY(ProcessStart::resolveProgram("nessun-programma-cosi", dir.path()).isEmpty());
        QVERIFY(!ProcessStart::start("nessun-programma-cosi \"x\"\\y", 1, dir.path()));
        QVERIFY(!ProcessStart::start("", 1, dir.path()));
    }
};

QTEST_MAIN(TestRegistration)
#include "tst_registration.moc"
