#include "automation/ButtonConfig.h"
#include "automation/FrmBottoni.h"
#include "support/Paste.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Drives the button editor the way a player does: clicks on list lines and on
// the drawn buttons' labels, typing, answers to message boxes. The editor works
// on folder's config.ini, with a bar of its own.
class Editor {
public:
    explicit Editor(const QString& folder) : api(folder), w(api, bar) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    template <class T> T* get(const char* name) {
        T* c = w.findChild<T*>(QLatin1String(name));
        Q_ASSERT(c);
        return c;
    }
    QListWidget* list() { return get<QListWidget>("lstBottoni"); }
    QLineEdit* testo() { return get<QLineEdit>("txtTesto"); }
    QPlainTextEdit* azione() { return get<QPlainTextEdit>("txtAzione"); }
    QComboBox* colore() { return get<QComboBox>("cmbColore"); }

    void clickLine(int row) {
        QListWidget* l = list();
        const QRect r = l->visualItemRect(l->item(row));
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, r.center());
    }
    void click(FrmBottoni::Command c) {
        QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("lblShape_%1").arg(int(c))),
                          Qt::LeftButton);
    }
    // Which of Modifica, Elimina, Conferma, Annulla, Esci are active.
    QString active() const {
        QString s;
        for (const CButton& b : w.buttons())
            s += b.Attivo() ? '1' : '0';
        return s;
    }
    void type(const QString& caption, const QStringList& actionLines) {
        testo()->clear();
        QTest::keyClicks(testo(), caption);
        azione()->clear();
        for (int i = 0; i < actionLines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(azione(), Qt::Key_Return);
            QTest::keyClicks(azione(), actionLines[i]);
        }
    }
    QStringList lines() {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << list()->item(i)->text();
        return out;
    }

    ScriptedDialogs dlg;
    Api api;
    ButtonBar bar;
    FrmBottoni w;
};

class TestFrmBottoni : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("config.ini"); }
    QByteArray bytes() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QByteArray& b) {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }

private slots:
    void init() { QFile::remove(path()); }

    void opensWithoutConfig() {
        Editor e(m_dir.path());
        QCOMPARE(e.w.windowTitle(), QString("Configura Bottoni"));
        QCOMPARE(e.lines(), (QStringList{"1) Vuoto", "2) Vuoto", "3) Vuoto", "4) Vuoto", "5) Vuoto",
                                         "6) Vuoto", "7) Vuoto", "8) Vuoto"}));
        QCOMPARE(e.colore()->currentText(), QString("--Seleziona Colore"));
        QCOMPARE(e.colore()->count(), 14);
        QCOMPARE(e.colore()->itemText(10), QString("Rosso"));
        QCOMPARE(e.active(), QString("00001"));
        QVERIFY(!e.testo()->isEnabled());
        QVERIFY(!e.azione()->isEnabled());
        QVERIFY(e.get<QCheckBox>("chkAtt")->isChecked());
        // Drawn in their states: the square of an active button is pale blue,
        // that of an inactive one grey.
        auto square = [&](int left, int top) {
            return QColor(e.w.clientArea()->grab().toImage().pixel(left + 1, top + 1));
        };
        QCOMPARE(square(470, 75), QColor(192, 192, 255));
        QCOMPARE(square(100, 15), QColor(160, 160, 160));
        e.clickLine(3);
        QCOMPARE(square(100, 15), QColor(192, 192, 255));
        QCOMPARE(square(100, 45), QColor(192, 192, 255));
        QCOMPARE(square(470, 15), QColor(160, 160, 160));
        e.click(FrmBottoni::Annulla); // inactive: nothing happens
        QCOMPARE(e.active(), QString("11001"));
        // Inactive drawn buttons do nothing.
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.active(), QString("11001"));
        QVERIFY(!e.testo()->isEnabled());
        QVERIFY(e.dlg.messages.isEmpty());
        QVERIFY(!QFile::exists(path()));
        // Esci closes the window.
        QSignalSpy rejected(&e.w, &QDialog::rejected);
        e.click(FrmBottoni::Esci);
        QCOMPARE(rejected.count(), 1);
        QVERIFY(!e.w.isVisible());
    }

    void configureTwoButtonsWithTheColourTheComboKeeps() {
        Editor e(m_dir.path());
        e.clickLine(0);
        QCOMPARE(e.active(), QString("11001"));
        e.click(FrmBottoni::Modifica);
        QCOMPARE(e.active(), QString("00111"));
        QVERIFY(e.testo()->isEnabled() && e.testo()->hasFocus());
        e.type("Guarda", {"guarda", "nord"});

        e.click(FrmBottoni::Conferma); // no colour chosen yet
        QCOMPARE(e.dlg.messages.size(), 1);
        QCOMPARE(e.dlg.lastText(), QString("Non è stato selezionato il colore"));
        QCOMPARE(e.dlg.messages.last().title, QString("Errore"));
        QCOMPARE(e.dlg.messages.last().flags, 16);
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(e.active(), QString("00111"));

        e.colore()->setCurrentIndex(10); // "Rosso"
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.dlg.messages.size(), 1);
        QCOMPARE(bytes(), QByteArray("[BOTTONE 1]\r\nCAPTION=Guarda\r\nAZIONE=guarda<%>nord\r\n"
                                     "COLORE=&HFF&\r\nSTATO=Attivo\r\n"));
        QCOMPARE(e.lines().at(0), QString("1) Guarda"));
        QCOMPARE(e.active(), QString("00001"));
        QCOMPARE(e.testo()->text(), QString("Guarda")); // the boxes keep their text
        // The bar in memory follows at once.
        QCOMPARE(e.bar[0].Caption(), QString("Guarda"));
        QCOMPARE(e.bar[0].azione(), QString("guarda<%>nord"));
        QCOMPARE(e.bar[0].ActiveColor(), 255);
        QVERIFY(e.bar[0].Attivo());

        // The second button, combo untouched, state box cleared.
        e.clickLine(1);
        QCOMPARE(e.testo()->text(), QString());
        e.click(FrmBottoni::Modifica);
        e.type("Due", {"dici ciao"});
        e.get<QCheckBox>("chkAtt")->click();
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 2", "COLORE"), QString("&HFF&"));
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 2", "STATO"), QString("Disattivo"));
        QVERIFY(!e.bar[1].Attivo());

        // Clicking the first line again shows the separators on one line, and a
        // further Conferma stores the action unchanged.
        e.clickLine(0);
        QCOMPARE(e.azione()->toPlainText(), QString("guarda<%>nord"));
        e.click(FrmBottoni::Modifica);
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 1", "AZIONE"), QString("guarda<%>nord"));
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 1", "STATO"), QString("Disattivo"));
    }

    void confermaChecksInOrder() {
        Editor e(m_dir.path());
        e.clickLine(4);
        e.click(FrmBottoni::Modifica);
        e.click(FrmBottoni::Conferma);
        e.type("Cinque", {});
        e.click(FrmBottoni::Conferma);
        e.type("", {"x"});
        e.colore()->setCurrentIndex(1);
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.dlg.messages.size(), 3);
        QCOMPARE(e.dlg.messages[0].text, QString("Non è stato inserito alcun testo"));
        QCOMPARE(e.dlg.messages[1].text, QString("Non è stato inserita alcuna azione"));
        QCOMPARE(e.dlg.messages[2].text, QString("Non è stato inserito alcun testo"));
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(e.active(), QString("00111"));

        // One space is a caption; the caption box takes at most 12 characters.
        e.type(" ", {"x"});
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 5", "CAPTION"), QString(" "));
        e.clickLine(5);
        e.click(FrmBottoni::Modifica);
        e.type("Un titolo troppo lungo", {"x"});
        QCOMPARE(e.testo()->text(), QString("Un titolo tr"));
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.lines().at(5), QString("6) Un titolo tr"));
        QCOMPARE(e.dlg.messages.size(), 3);
    }

    void eliminaButtonThree() {
        const QByteArray server = "; scritto a mano\r\n[SERVER]\r\nHOST=gioco.example\r\n";
        put(server +
            "[BOTTONE 3]\r\nCAPTION=Tre\r\nAZIONE=a<%>b\r\nCOLORE=&HFF&\r\nSTATO=Attivo\r\n"
            "[BOTTONE 4]\r\nCAPTION=Quattro\r\n");
        Editor e(m_dir.path());
        QVERIFY(e.bar[2].Attivo());
        e.clickLine(2);
        QCOMPARE(e.testo()->text(), QString("Tre"));
        const QByteArray before = bytes();

        e.dlg.answers = {Msg::No};
        e.click(FrmBottoni::Elimina);
        QCOMPARE(e.dlg.lastText(), QString("Sei sicuro di voler cancellare questo bottone?"));
        QCOMPARE(e.dlg.messages.last().title, QString("Elimina"));
        QCOMPARE(e.dlg.messages.last().flags, 20);
        QCOMPARE(bytes(), before);
        QCOMPARE(e.active(), QString("11001"));

        e.click(FrmBottoni::Elimina); // answered Yes
        QCOMPARE(bytes(), server + "[BOTTONE 3]\r\nCAPTION=Vuoto\r\nAZIONE=\r\nCOLORE=&HC0C0C0\r\n"
                                   "STATO=Disattivo\r\n[BOTTONE 4]\r\nCAPTION=Quattro\r\n");
        QCOMPARE(e.lines().at(2), QString("3) Vuoto"));
        QCOMPARE(e.lines().at(3), QString("4) Quattro"));
        QVERIFY(!e.bar[2].Attivo());
        QCOMPARE(e.bar[2].ActiveColor(), winRgb(192, 192, 192));
        QCOMPARE(e.testo()->text(), QString());
        QCOMPARE(e.azione()->toPlainText(), QString());
        QCOMPARE(e.active(), QString("00001"));
        QCOMPARE(e.list()->currentRow(), -1);
    }

    void longActionKeptWhole() {
        const QByteArray action = QByteArray("dici ciao a tutti<%>").repeated(6) + "inchinati";
        put("[BOTTONE 2]\r\nCAPTION=Saluti\r\nAZIONE=" + action + "\r\n");
        Editor e(m_dir.path());
        QCOMPARE(e.bar[1].azione(), QString(action));
        e.clickLine(1);
        QCOMPARE(e.azione()->toPlainText(), QString(action));
        e.click(FrmBottoni::Modifica);
        e.colore()->setCurrentIndex(2);
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 2", "AZIONE"), QString(action));
    }

    void handWrittenLongCaptionKeptWhole() {
        put("[BOTTONE 7]\r\nCAPTION=Un titolo scritto a mano\r\nAZIONE=x\r\n");
        Editor e(m_dir.path());
        e.clickLine(6);
        QCOMPARE(e.testo()->text(), QString("Un titolo scritto a mano"));
        e.click(FrmBottoni::Modifica);
        e.colore()->setCurrentIndex(4);
        QTest::keyClick(e.testo(), Qt::Key_End);
        QTest::keyClicks(e.testo(), "!"); // no room to grow
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 7", "CAPTION"),
                 QString("Un titolo scritto a mano"));
        // Shortened by one, it cannot be typed back to the hand-written length.
        e.clickLine(6);
        e.click(FrmBottoni::Modifica);
        QTest::keyClick(e.testo(), Qt::Key_End);
        QTest::keyClick(e.testo(), Qt::Key_Backspace);
        QTest::keyClicks(e.testo(), "o!");
        QCOMPARE(e.testo()->text(), QString("Un titolo scritto a man"));
        // Shortened by the player, the box takes 12 characters again.
        e.clickLine(6);
        e.click(FrmBottoni::Modifica);
        e.type("Breve", {"x"});
        QTest::keyClicks(e.testo(), " ma non troppo");
        QCOMPARE(e.testo()->text(), QString("Breve ma non"));
    }

    void actionBoxTabsOnAndKeepsEveryCharacter() {
        Editor e(m_dir.path());
        e.clickLine(0);
        e.click(FrmBottoni::Modifica);
        e.type("Guarda", {"guarda"});
        e.colore()->setCurrentIndex(1);
        // Tab leaves the action box, as in the other editors.
        e.azione()->setFocus();
        QTest::keyClick(e.azione(), Qt::Key_Tab);
        QVERIFY(!e.azione()->hasFocus());
        QTest::keyClicks(e.azione(), QString("\u00A0nord"));

        // A character config.ini cannot hold is refused, and left where it is.
        paste(e.testo(), QStringLiteral("→"));
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.dlg.messages.size(), 1);
        QCOMPARE(e.dlg.lastText(),
                 QStringLiteral("Il carattere «→» (U+2192) non può essere salvato nel file "
                                "config.ini, che usa la codifica Windows-1252 (un byte per "
                                "carattere).\nToglierlo o sostituirlo, poi riprovare."));
        QCOMPARE(e.dlg.messages.last().title, QString("Errore"));
        QCOMPARE(e.dlg.messages.last().flags, 16);
        QCOMPARE(e.testo()->selectedText(), QStringLiteral("→"));
        QCOMPARE(e.active(), QString("00111"));
        QVERIFY(!QFile::exists(path()));

        QTest::keyClick(e.testo(), Qt::Key_Backspace);
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.dlg.messages.size(), 1);
        QCOMPARE(bytes(), QByteArray("[BOTTONE 1]\r\nCAPTION=Guarda\r\nAZIONE=guarda\xA0nord\r\n"
                                     "COLORE=&H80C0FF\r\nSTATO=Attivo\r\n"));
    }

    void noSelectedLineWritesNoBarButton() {
        Editor e(m_dir.path());
        e.clickLine(0);
        e.click(FrmBottoni::Modifica);
        e.clickLine(1);
        e.click(FrmBottoni::Elimina);
        QCOMPARE(e.active(), QString("00111")); // Conferma and Annulla stay active
        QCOMPARE(e.list()->currentRow(), -1);
        // The list taking the focus marks a line without selecting it.
        e.list()->setFocus();
        e.list()->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QCOMPARE(e.testo()->text(), QString());
        e.type("Zero", {"x"});
        e.colore()->setCurrentIndex(3);
        e.click(FrmBottoni::Conferma);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 0", "CAPTION"), QString("Zero"));
        for (const CButton& b : e.bar)
            QCOMPARE(b.Caption(), QString("Vuoto"));
        QCOMPARE(e.lines().at(0), QString("1) Vuoto"));
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 1", "CAPTION"), QString());
    }

    // By keyboard: Space on the marked line chooses it as the arrows do; a
    // caption of twelve characters leaves every line in view.
    void spaceChoosesTheMarkedLine() {
        put("[BOTTONE 1]\r\nCAPTION=Dodici lett.\r\nAZIONE=x\r\n");
        Editor e(m_dir.path());
        QListWidget* list = e.list();
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        QVERIFY(list->visualItemRect(list->item(7)).bottom() < list->viewport()->height());
        list->setFocus();
        list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QCOMPARE(e.active(), QString("00001"));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(e.active(), QString("11001"));
        QCOMPARE(e.testo()->text(), QString("Dodici lett."));
    }

    void readOnlyFolderIsReportedOnce() {
        put("[BOTTONE 1]\r\nCAPTION=Uno\r\n");
        Editor e(m_dir.path());
        e.clickLine(0);
        e.click(FrmBottoni::Modifica);
        e.type("Nuovo", {"x"});
        e.colore()->setCurrentIndex(5);
        {
            ReadOnlyFolder ro(m_dir.path());
            if (!ro.ok())
                QSKIP("cannot make a folder read-only here");
            e.click(FrmBottoni::Conferma);
            QCOMPARE(e.dlg.messages.size(), 1);
            QVERIFY(e.dlg.lastText().startsWith("Impossibile salvare il file config.ini"));
            QCOMPARE(e.dlg.messages.last().flags, 16);
            // The player can try again on the same line.
            QCOMPARE(e.active(), QString("00111"));
            QCOMPARE(e.list()->currentRow(), 0);
            QCOMPARE(e.testo()->text(), QString("Nuovo"));
            QCOMPARE(e.bar[0].Caption(), QString("Uno"));
        }
        e.click(FrmBottoni::Conferma);
        QCOMPARE(e.dlg.messages.size(), 1);
        QCOMPARE(ReadConfigValue(e.api, "BOTTONE 1", "CAPTION"), QString("Nuovo"));
        QCOMPARE(e.active(), QString("00001"));
    }

    void runsModally() {
        ScriptedDialogs dlg;
        Api api(m_dir.path());
        ButtonBar bar;
        FrmBottoni w(api, bar);
        dlg.onModal = [](QDialog* d) {
            QTest::mouseClick(d->findChild<QWidget*>("lblShape_4"), Qt::LeftButton);
        };
        dialogs().runModal(&w);
        QCOMPARE(dlg.modalShown.size(), 1);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestFrmBottoni)
#include "tst_frmbottoni.moc"
