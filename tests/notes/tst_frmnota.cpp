#include "automation/PairTable.h"
#include "display/GameDisplay.h"
#include "notes/FrmNota.h"
#include "session/GameSession.h"
#include "support/PaintCounter.h"
#include "support/Paste.h"
#include "support/RecordingDisplay.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"

#include <QAccessible>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFrmNota : public QObject {
    Q_OBJECT

    RecordingDisplay* display = nullptr;
    QStringList written;
    FrmNota* w = nullptr;
    ScriptedDialogs* dlg = nullptr;

    QLineEdit* dest() const { return w->findChild<QLineEdit*>("txtDest"); }
    QLineEdit* sogg() const { return w->findChild<QLineEdit*>("txtSogg"); }
    QPlainTextEdit* nota() const { return w->findChild<QPlainTextEdit*>("txtNota"); }
    QLabel* help() const { return w->findChild<QLabel*>("lblHelp"); }
    bool on(int i) const { return w->buttons()[size_t(i)].Attivo(); }
    // Nuovo, Invia, Annulla, Esci, Apri, Salva as a string of 0/1.
    QString states() const {
        QString s;
        for (int i = 0; i < 6; ++i)
            s += on(i) ? '1' : '0';
        return s;
    }
    void click(int i) { QTest::mouseClick(w->lblShape(i), Qt::LeftButton, {}, QPoint(50, 12)); }
    void compose(const QString& d, const QString& s, const QString& body) {
        click(FrmNota::Nuovo);
        dest()->setText(d);
        sogg()->setText(s);
        nota()->setPlainText(body);
    }
    void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() {
        display = new RecordingDisplay;
        written.clear();
        dlg = new ScriptedDialogs;
        w = new FrmNota(*display, [this](const QString& l) { written << l; });
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }
    void cleanup() {
        delete w;
        delete dlg;
        delete display;
    }

    void loadsIdle() {
        QCOMPARE(w->windowTitle(), QString("Nota"));
        QCOMPARE(w->clientSize(), QSize(386, 459));
        QVERIFY(!w->isShaped());
        QCOMPARE(states(), QString("100110"));
        const char* captions[] = {"Nuovo", "Invia", "Annulla", "Esci", "Apri", "Salva"};
        const QPoint at[] = {{10, 300}, {120, 300}, {230, 300}, {230, 340}, {10, 340}, {120, 340}};
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(w->buttons()[size_t(i)].Caption(), QString(captions[i]));
            QCOMPARE(w->lblShape(i)->geometry(), QRect(at[i], QSize(100, 25)));
            QCOMPARE(w->icone(i)->geometry(), QRect(at[i] + QPoint(3, 3), QSize(20, 20)));
        }
        for (QWidget* f : {(QWidget*)dest(), (QWidget*)sogg(), (QWidget*)nota()})
            QVERIFY(!f->isEnabled());
        QCOMPARE(dest()->geometry(), QRect(8, 32, 369, 25));
        QCOMPARE(nota()->geometry(), QRect(8, 128, 321, 153));
        QCOMPARE(help()->geometry(), QRect(8, 384, 369, 65));
        QVERIFY(help()->text().isEmpty());
    }

    void swatches() {
        QSet<QString> names; // what a screen reader calls each swatch
        for (int i = 0; i < 16; ++i) {
            auto* sw = w->findChild<QLabel*>(QString("sphCol_%1").arg(i));
            QVERIFY(sw);
            QCOMPARE(sw->geometry(), QRect(344 + 16 * (i % 2), 136 + 16 * (i / 2), 17, 17));
            names.insert(QAccessible::queryAccessibleInterface(sw)->text(QAccessible::Name));
        }
        QCOMPARE(names.size(), 16);
        QVERIFY(names.contains("Bianco, codice Z") && names.contains("Bianco, codice p"));
        auto* sw3 = w->findChild<QLabel*>("sphCol_3");
        QCOMPARE(sw3->palette().color(QPalette::Window), QColor(240, 0, 0));
        QCOMPARE(sw3->property("tag").toString(), QString("{{R"));
        QCOMPARE(w->findChild<QLabel*>("sphCol_8")->palette().color(QPalette::Window),
                 QColor(0, 0, 120));

        click(FrmNota::Nuovo);
        nota()->setPlainText("uno due");
        QTextCursor c = nota()->textCursor();
        c.setPosition(3);
        c.setPosition(4, QTextCursor::KeepAnchor); // the space is selected
        nota()->setTextCursor(c);
        QTest::mouseClick(sw3, Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(nota()->toPlainText(), QString("uno{{Rdue"));
        QCOMPARE(nota()->textCursor().position(), 9);

        nota()->clear();
        for (int i = 0; i < 16; ++i)
            w->sphCol_Click(i);
        QCOMPARE(nota()->toPlainText(),
                 QString("{{g{{G{{r{{R{{v{{V{{t{{T{{b{{B{{m{{M{{c{{C{{Z{{p"));
    }

    void helpAndLimits() {
        // Opened idle (the fields disabled), the keyboard starts on "Nuovo".
        QCOMPARE(w->focusWidget(), w->lblShape(FrmNota::Nuovo));
        click(FrmNota::Nuovo);
        QTRY_VERIFY(dest()->hasFocus());
        QVERIFY(
            help()->text().startsWith("Assegna la lista di destinatari. Il destinatario TUTTI"));
        QVERIFY(help()->text().endsWith("Antichi.\nE' possibile scrivere a piu' destinatari "
                                        "dividendo ogni nome con uno spazio."));
        // The longest help is shown whole, whatever this machine's fonts.
        QVERIFY(QFontMetrics(help()->font())
                    .boundingRect(help()->contentsRect(), Qt::TextWordWrap, help()->text())
                    .height() <= help()->contentsRect().height());
        nota()->setFocus();
        QTRY_COMPARE(help()->text(),
                     QString("Scrivere il testo della nota.\nATTENZIONE: non scrivere troppi "
                             "caratteri senza dare INVIO, altrimenti il server non accetterà la "
                             "riga."));
        // Leaving a field keeps the text; the next field changes it.
        sogg()->setFocus();
        QTRY_COMPARE(help()->text(), QString("Assegna il soggetto di una nuova nota."));

        QTest::keyClicks(dest(), QString(35, 'd'));
        QTest::keyClicks(sogg(), QString(45, 's'));
        QCOMPARE(dest()->text().size(), 30);
        QCOMPARE(sogg()->text().size(), 40);
    }

    void postsTheNote() {
        compose("TUTTI", "prova", "uno\ndue");
        QCOMPARE(states(), QString("011101"));
        click(FrmNota::Invia);
        const QStringList lines{"nota a TUTTI\r\n", "nota soggetto prova\r\n", "nota + uno\r\n",
                                "nota + due\r\n", "nota spedisci\r\n"};
        QCOMPARE(written, lines);
        QCOMPARE(display->pieces.size(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(display->pieces[i].text, lines[i]);
            QCOMPARE(display->pieces[i].colour, qRgb(200, 200, 160));
        }
        QCOMPARE(dlg->messages.size(), 1);
        QCOMPARE(dlg->messages[0].text, QString("Sei sicuro di voler inviare la nota?"));
        QCOMPARE(dlg->messages[0].title, QString("Inviare?"));
        QCOMPARE(dlg->messages[0].flags, 20);
        // Back to idle.
        QCOMPARE(states(), QString("100110"));
        QVERIFY(dest()->text().isEmpty() && nota()->toPlainText().isEmpty());
        QVERIFY(!dest()->isEnabled());

        // A final line break posts one more, empty, line.
        written.clear();
        compose("a", "b", "riga\n");
        click(FrmNota::Invia);
        QCOMPARE(written.mid(2, 3),
                 (QStringList{"nota + riga\r\n", "nota + \r\n", "nota spedisci\r\n"}));
    }

    void postsThroughTheConnection() {
        ScriptedServer server;
        GameDisplay screen;
        PairTable triggers;
        GameSession session(screen, triggers);
        QSignalSpy up(&session.connection(), &Connection::connected);
        QVERIFY(session.open("127.0.0.1", server.port()));
        QVERIFY(up.count() || up.wait(5000));
        delete w;
        w = new FrmNota(session.textPath().ownText(),
                        [&session](const QString& l) { session.sendCommand(l); });
        w->show();
        compose("TUTTI", "perché", "uno\ndue");
        click(FrmNota::Invia);
        const QByteArray lines = "nota a TUTTI\r\nnota soggetto perch\xE9\r\nnota + uno\r\n"
                                 "nota + due\r\nnota spedisci\r\n";
        QVERIFY(server.waitForReceived("nota spedisci\r\n"));
        QVERIFY(server.received.contains(lines));
        QCOMPARE(server.received.count("nota"), 5);
        const QString shown = screen.buffer().text();
        for (const char* l :
             {"nota a TUTTI", "nota soggetto perché", "nota + due", "nota spedisci"}) {
            const qsizetype at = shown.indexOf(QString::fromUtf8(l));
            QVERIFY2(at >= 0, l);
            QCOMPARE(screen.buffer().colourAt(int(at)), qRgb(200, 200, 160));
        }
        delete w;
        w = nullptr;
    }

    void checksStopInviaAndSalva() {
        struct Case {
            QString d, s, body, message;
        };
        const QList<Case> cases{
            {"", "", "", "Non e' stato inserito nessun destinatario"},
            {"TUTTI", "", "x", "Non e' stato inserito nessun soggetto"},
            {"TUTTI", "s", "", "Non e' stato scritto nulla nella nota"},
        };
        click(FrmNota::Nuovo);
        for (int button : {int(FrmNota::Invia), int(FrmNota::Salva)}) {
            for (const Case& c : cases) {
                dest()->setText(c.d);
                sogg()->setText(c.s);
                nota()->setPlainText(c.body);
                dlg->messages.clear();
                click(button);
                QCOMPARE(dlg->messages.size(), 1);
                QCOMPARE(dlg->messages[0].text, c.message);
                QCOMPARE(dlg->messages[0].title, QString("Errore"));
                QCOMPARE(dlg->messages[0].flags, 16);
            }
        }
        QVERIFY(dlg->fileRequests.isEmpty());
        // "No" to the question: nothing sent, nothing changed.
        nota()->setPlainText("x");
        dlg->answers << Msg::No;
        click(FrmNota::Invia);
        QVERIFY(written.isEmpty() && display->pieces.isEmpty());
        QCOMPARE(nota()->toPlainText(), QString("x"));
        QCOMPARE(states(), QString("011101"));
    }

    void saveThenOpen() {
        QTemporaryDir dir;
        compose("TUTTI", "prova", "uno\ndue\n");
        dlg->filePaths << dir.filePath("saluti");
        click(FrmNota::Salva);
        QCOMPARE(dlg->fileRequests.size(), 1);
        QCOMPARE(dlg->fileRequests[0].kind, FileDialogRequest::Save);
        QCOMPARE(dlg->fileRequests[0].title, QString("Salva Nota"));
        QVERIFY(!dlg->fileRequests[0].mustExist);
        QCOMPARE(dlg->fileRequests[0].nameFilters, QStringList{"Varendor Nota(*.not) (*.not)"});
        QFile f(dir.filePath("saluti.not"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("<DEST>TUTTI</DEST>\r\n<SOGG>prova</SOGG>\r\n"
                                         "uno\r\ndue\r\n\r\n"));
        QCOMPARE(states(), QString("011100")); // "Salva" off until Nuovo or Apri

        click(FrmNota::Annulla);
        QCOMPARE(states(), QString("100110"));
        dlg->filePaths << dir.filePath("saluti.not");
        click(FrmNota::Apri);
        QCOMPARE(dlg->fileRequests[1].title, QString("Apri Nota"));
        QVERIFY(dlg->fileRequests[1].mustExist);
        QCOMPARE(dest()->text(), QString("TUTTI"));
        QCOMPARE(sogg()->text(), QString("prova"));
        QCOMPARE(nota()->toPlainText(), QString("uno\ndue\n")); // no empty first line
        QCOMPARE(states(), QString("011111"));
        QTRY_VERIFY(dest()->hasFocus());
        click(FrmNota::Invia);
        QCOMPARE(written.mid(2, 3),
                 (QStringList{"nota + uno\r\n", "nota + due\r\n", "nota + \r\n"}));
    }

    // A note file edited by hand elsewhere, its lines ended by LF or by a
    // lone CR: the line break after each tag is the file's, not the note's.
    void openNoteWithOtherLineEnds_data() {
        QTest::addColumn<QByteArray>("end");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CR") << QByteArray("\r");
    }
    void openNoteWithOtherLineEnds() {
        QFETCH(QByteArray, end);
        QTemporaryDir dir;
        const QString path = dir.filePath("a mano.not");
        writeFile(path, "<DEST>Tutti</DEST>" + end + "<SOGG>Saluti</SOGG>" + end + "uno" + end +
                            "due" + end);
        dlg->filePaths << path;
        click(FrmNota::Apri);
        QCOMPARE(dest()->text(), QString("Tutti"));
        QCOMPARE(sogg()->text(), QString("Saluti"));
        QCOMPARE(nota()->toPlainText(), QString("uno\ndue"));
    }

    void openOverAnotherNote() {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.not"), "<DEST>Uno</DEST>\r\n<SOGG>Primo</SOGG>\r\nA\r\n");
        writeFile(dir.filePath("b.not"), "<SOGG>Secondo</SOGG>\r\nB\r\n");
        dlg->filePaths << dir.filePath("a.not") << dir.filePath("b.not");
        click(FrmNota::Apri);
        click(FrmNota::Apri);
        // Recipients without tags stay; the body is the second note's.
        QCOMPARE(dest()->text(), QString("Uno"));
        QCOMPARE(sogg()->text(), QString("Secondo"));
        QCOMPARE(nota()->toPlainText(), QString("B"));
    }

    void cancelledDialogsAndFileFailures() {
        QTemporaryDir dir;
        // Cancelled open and save: nothing changes.
        click(FrmNota::Apri);
        QCOMPARE(states(), QString("100110"));
        compose("d", "s", "b");
        click(FrmNota::Salva);
        QCOMPARE(dlg->fileRequests.size(), 2);
        QCOMPARE(states(), QString("011101"));
        QVERIFY(dlg->messages.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 0);

        // A note that cannot be written: reported, "Salva" stays on.
        dlg->filePaths << dir.filePath("manca/x");
        click(FrmNota::Salva);
        QCOMPARE(dlg->messages.size(), 1);
        QCOMPARE(dlg->messages[0].title, QString("Errore"));
        QVERIFY(dlg->messages[0].text.contains("x.not"));
        QCOMPARE(states(), QString("011101"));

        // A note that cannot be read: reported, the fields as they were.
        if (QFile::exists("/proc/self/mem")) {
            dlg->filePaths << "/proc/self/mem";
            click(FrmNota::Apri); // "Apri" is off while composing a new note
            QCOMPARE(dlg->fileRequests.size(), 3);
            click(FrmNota::Annulla);
            click(FrmNota::Apri);
            QCOMPARE(dlg->messages.size(), 2);
            QVERIFY(dlg->messages[1].text.startsWith("Impossibile leggere"));
            QCOMPARE(states(), QString("100110"));
            QVERIFY(!dest()->isEnabled());
        }
    }

    // The file is 8-bit, the game need not be: a character the code page
    // lacks stops Salva, not Invia; a no-break space survives both.
    void everyCharacterPostedAndSavedOrRefused() {
        QTemporaryDir dir;
        click(FrmNota::Nuovo);
        dest()->setText("TUTTI");
        sogg()->setText("prova");
        QTest::keyClicks(nota(), QString("a\u00A0b"));
        QTest::keyClick(nota(), Qt::Key_Return);
        paste(nota(), QStringLiteral("→ ok"));
        click(FrmNota::Salva);
        QCOMPARE(dlg->messages.size(), 1);
        QVERIFY(dlg->lastText().startsWith(QStringLiteral("Il carattere «→» (U+2192)")));
        QVERIFY(dlg->lastText().contains(QStringLiteral("nel file .not")));
        QCOMPARE(dlg->messages[0].title, QString("Errore"));
        QVERIFY(dlg->fileRequests.isEmpty()); // refused before a name is asked for
        QCOMPARE(nota()->textCursor().selectedText(), QStringLiteral("→"));
        QCOMPARE(states(), QString("011101"));

        click(FrmNota::Invia);
        QCOMPARE(written.mid(2, 2), (QStringList{QStringLiteral("nota + a\u00A0b\r\n"),
                                                 QStringLiteral("nota + → ok\r\n")}));

        compose("TUTTI", "prova", QStringLiteral("x"));
        nota()->moveCursor(QTextCursor::End);
        QTest::keyClicks(nota(), QString("\u00A0y"));
        dlg->filePaths << dir.filePath("spazi");
        click(FrmNota::Salva);
        QCOMPARE(dlg->messages.size(), 2); // Invia's question only
        QFile f(dir.filePath("spazi.not"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("<DEST>TUTTI</DEST>\r\n<SOGG>prova</SOGG>\r\nx\xA0y\r\n"));
    }

    void saveAsksBeforeReplacingAnotherFile() {
        QTemporaryDir dir;
        writeFile(dir.filePath("vecchia.not"), "vecchio");
        compose("d", "s", "nuovo");
        dlg->filePaths << dir.filePath("vecchia");
        dlg->answers << Msg::No;
        click(FrmNota::Salva);
        QFile f(dir.filePath("vecchia.not"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("vecchio"));
        QCOMPARE(dlg->messages.size(), 1);
        QCOMPARE(states(), QString("011101"));
    }

    void disabledButtonOnlyRepaints() {
        PaintCounter counter;
        w->clientArea()->installEventFilter(&counter);
        QTest::qWait(0);
        counter.paints = 0;
        click(FrmNota::Invia);
        QTRY_VERIFY(counter.paints > 0);
        QVERIFY(written.isEmpty() && dlg->messages.isEmpty());
        QCOMPARE(states(), QString("100110"));
        // And the new states are what gets painted.
        click(FrmNota::Nuovo);
        const QImage img = w->clientArea()->grab().toImage();
        QCOMPARE(QColor(img.pixel(121, 310)), QColor(192, 192, 255)); // Invia on, beside its icon
        QCOMPARE(QColor(img.pixel(11, 310)), QColor(160, 160, 160));  // Nuovo off
    }

    void esciAndCloseBoxLoseTheNote() {
        compose("d", "s", "b");
        QTest::keyClick(w, Qt::Key_Escape); // a stray Escape keeps the note
        QVERIFY(w->isVisible());
        QCOMPARE(nota()->toPlainText(), QString("b"));
        click(FrmNota::Esci);
        QVERIFY(!w->isVisible());
        w->show();
        compose("d", "s", "b");
        w->close();
        QVERIFY(!w->isVisible());
        QVERIFY(dlg->messages.isEmpty() && written.isEmpty());
    }
};

QTEST_MAIN(TestFrmNota)
#include "tst_frmnota.moc"
