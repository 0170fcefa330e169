// The built client started as a player starts it: answers on the terminal
// without a display, and the player's files where the rule puts them, the
// program's own folder left alone unless it is marked portable.
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A copy of the client in its own folder, as an installation or a
    // portable copy would have it.
    QString copyClient(const QString& folder, bool portable) {
        [&] {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::copy(VARENDOR_PROGRAM, folder + "/varendor"));
            if (portable) {
                QFile marker(folder + "/varendor.portable");
                QVERIFY(marker.open(QIODevice::WriteOnly));
            }
        }();
        return folder + "/varendor";
    }

    Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
        QProcess p;
        QProcessEnvironment e = env.isEmpty() ? QProcessEnvironment::systemEnvironment() : env;
        e.insert("HOME", path("casa"));
        e.remove("XDG_DATA_HOME");
        e.remove("XDG_CONFIG_HOME");
        e.insert("XDG_RUNTIME_DIR", path("run"));
        p.setProcessEnvironment(e);
        p.setWorkingDirectory(path("lavoro"));
        p.start(program, args);
        Run r;
        if (!p.waitForFinished(60000))
            return r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        for (const char* sub : {"casa", "lavoro"})
            QVERIFY(QDir(path(sub)).removeRecursively() && QDir().mkpath(path(sub)));
        QVERIFY(QDir().mkpath(path("run")));
        QVERIFY(QFile::setPermissions(path("run"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void terminalAnswersNeedNoDisplay() {
        // Asking for a window here would abort the program.
        QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
        noDisplay.insert("QT_QPA_PLATFORM", "xcb");
        noDisplay.remove("DISPLAY");
        noDisplay.remove("WAYLAND_DISPLAY");
        const QString program = copyClient(path("bin"), false);

        Run r = run(program, {"--help"}, noDisplay);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("Uso: varendor [OPZIONI]\n"));
        QVERIFY(r.out.endsWith("  " + path("casa") + "/.local/share/Varendor\n"));
        QCOMPARE(r.err, QString());

        r = run(program, {"--version"}, noDisplay);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("Varendor versione " VARENDOR_VERSION "\n"));

        r = run(program, {"--cartella", "a", "--boh"}, noDisplay);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QString());
        QCOMPARE(r.err, QString("varendor: opzione sconosciuta: --boh\n"
                                "Usare \"varendor --help\" per l'elenco delle opzioni.\n"));
        // Nothing was prepared for a start that did not happen.
        QVERIFY(entries(path("casa")).isEmpty());
        QVERIFY(entries(path("lavoro")).isEmpty());
    }

    void portableCopyKeepsFilesBesideIt() {
        const QString program = copyClient(path("portatile"), true);
        const Run r = run(program, {"--prova-avvio"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err.trimmed(), QString("prova-avvio: chiusa la finestra frmAbout"));
        QCOMPARE(entries(path("portatile")), (QStringList{"Log", "Note", "alias.txt", "trigger.txt",
                                                          "varendor", "varendor.portable"}));
        QVERIFY(entries(path("casa")).isEmpty());
    }

    void installedCopyUsesThePlayersFolders() {
        const QString program = copyClient(path("installato"), false);
        Run r = run(program, {"--prova-avvio"});
        QCOMPARE(r.exitCode, 0);
        const QString user = path("casa/.local/share/Varendor");
        QCOMPARE(entries(user),
                 (QStringList{"Log", "Note", "alias.txt", "config.ini", "trigger.txt"}));
        QCOMPARE(entries(path("installato")), QStringList{"varendor"});

        // One folder per character, relative to where the program starts.
        r = run(program, {"--cartella", "personaggi/Mira", "--prova-avvio"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(entries(path("lavoro/personaggi/Mira")),
                 (QStringList{"Log", "Note", "alias.txt", "config.ini", "trigger.txt"}));
        QCOMPARE(entries(path("installato")), QStringList{"varendor"});

        // A folder that cannot be made ends the start before any window.
        QFile blocker(path("lavoro/file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        r = run(program, {"--cartella=file/Aldric", "--prova-avvio"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("varendor: Impossibile creare la cartella del giocatore " +
                                  path("lavoro/file/Aldric")),
                 qPrintable(r.err));
        QVERIFY(!r.err.contains("prova-avvio"));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
