// The trigger and alias editors driven as a player drives them: clicks on
// the drawn buttons' labels and on the list, typing, answers to message
// boxes; every change checked in the table, the list and the file.
#include "automation/FrmPairEditor.h"
#include "support/PaintCounter.h"
#include "support/Paste.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

// One editor on a real folder, shown, with scripted message boxes.
struct Bench {
    QTemporaryDir top;
    QString folder = top.filePath("prog");
    ScriptedDialogs dialogs;
    std::unique_ptr<Api> api;
    std::unique_ptr<FrmPairEditor> w;

    Bench(Stores::Kind kind, const QByteArray& file) {
        QDir().mkdir(folder);
        const bool triggers = kind == Stores::Kind::Triggers;
        if (!file.isNull())
            put(path(triggers), file);
        api = std::make_unique<Api>(folder);
        if (triggers)
            w = std::make_unique<frmTrigger>(*api);
        else
            w = std::make_unique<frmAlias>(*api);
        w->show();
        (void)QTest::qWaitForWindowExposed(w.get());
    }
    QString path(bool triggers = true) const {
        return folder + (triggers ? "/trigger.txt" : "/alias.txt");
    }
    QLineEdit* testo() const { return w->findChild<QLineEdit*>("txtTesto"); }
    QPlainTextEdit* azione() const { return w->findChild<QPlainTextEdit*>("txtAzione"); }
    void press(int button) const {
        QTest::mouseClick(w->findChild<ClickLabel*>(QStringLiteral("lblShape_%1").arg(button)),
                          Qt::LeftButton);
    }
    void clickEntry(int row) const {
        QListWidget* l = w->list();
        QListWidgetItem* item = l->item(row);
        l->scrollToItem(item);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
    }
    void type(const QString& text, const QStringList& actionLines) const {
        QTest::keyClicks(testo(), text);
        for (int i = 0; i < actionLines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(azione(), Qt::Key_Return);
            QTest::keyClicks(azione(), actionLines[i]);
        }
    }
    QList<bool> active() const {
        QList<bool> out;
        for (const CButton& b : w->buttons())
            out << b.Attivo();
        return out;
    }
    QStringList items() const {
        QStringList out;
        for (int i = 0; i < w->list()->count(); ++i)
            out << w->list()->item(i)->text();
        return out;
    }
};

const QList<bool> kBrowsing{true, false, false, false, false, true};
const QList<bool> kEditing{false, false, false, true, true, true};
enum { Nuovo, Modifica, Elimina, Conferma, Annulla, Esci };

} // namespace

class TstFrmPairEditor : public QObject {
    Q_OBJECT
private slots:
    void opensBrowsingWithItsControls();
    void newTriggerIsSavedAndFiresAtOnce();
    void confermaChecksActionBeforeText();
    void duplicateTextsShowLastChangeAllDeleteFirst();
    void modificaThenAnotherListClick();
    void deleteInMiddleAndAnsweringNo();
    void deleteOnlyEntryThenAddFirst();
    void deleteWithEmptiedTextKeepsEveryEntry();
    void inactiveButtonsDoNothingAndDoNotRepaint();
    void annullaReadsBackTheFile();
    void readOnlyFolderKeepsThePlayersChange();
    void unreadableFileIsToldAndTheTableKept();
    void fullStoreRefusesNewEntriesAndTellsIdleLinesOnce();
    void everyCharacterIsKeptOrRefused();
    void aliasEditorDifferences();
    void esciClosesAndDropsTheOutline();
};

void TstFrmPairEditor::opensBrowsingWithItsControls() {
    Bench b(Stores::Kind::Triggers, "A<!>uno<%>\r\nB<!>due<%>\r\n");
    QCOMPARE(b.w->objectName(), QStringLiteral("frmTrigger"));
    QCOMPARE(b.w->windowTitle(), QStringLiteral("Trigger Setting"));
    QCOMPARE(b.w->clientSize(), QSize(643, 204));
    QVERIFY(!b.w->mask().isEmpty());
    QCOMPARE(b.w->findChild<QListWidget*>("lstTrigger"), b.w->list());
    QCOMPARE(b.items(), (QStringList{"A", "B"}));
    QCOMPARE(b.w->findChild<QLabel*>("Label1_1")->text(), QStringLiteral("Trigger"));
    QCOMPARE(b.w->findChild<QLabel*>("Label1_0")->pos(), QPoint(280, 8));
    QCOMPARE(b.w->findChild<QLabel*>("Label2")->text(), QStringLiteral("Azione"));
    QCOMPARE(b.w->findChildren<ClickLabel*>().size(), 6);
    QCOMPARE(b.w->icone(5)->geometry(), QRect(503, 88, 20, 20));
    QCOMPARE(b.w->buttons()[3].Caption(), QStringLiteral("Conferma"));
    QCOMPARE(b.active(), kBrowsing);
    QVERIFY(!b.testo()->isEnabled() && !b.azione()->isEnabled());

    // In browsing a click shows the entry in the locked boxes.
    b.clickEntry(1);
    QCOMPARE(b.testo()->text(), QStringLiteral("B"));
    QCOMPARE(b.azione()->toPlainText(), QStringLiteral("due\n"));
    QVERIFY(!b.testo()->isEnabled());
    QCOMPARE(b.active(), (QList<bool>{true, true, true, false, false, true}));
}

void TstFrmPairEditor::newTriggerIsSavedAndFiresAtOnce() {
    Bench b(Stores::Kind::Triggers, "A<!>uno<%>\r\n");
    b.press(Nuovo);
    QCOMPARE(b.w->state(), FrmPairEditor::State::NewEntry);
    QCOMPARE(b.active(), kEditing);
    QVERIFY(b.testo()->isEnabled() && b.azione()->isEnabled());
    b.type(" ti colpisce", {"fuggi", "", "bevi"});
    const quint64 rev = b.api->TriggerList.revision;
    b.press(Conferma);
    QVERIFY(b.dialogs.messages.isEmpty());
    QCOMPARE(get(b.path()), QByteArray("A<!>uno<%>\r\n ti colpisce<!>fuggi<%>bevi<%>\r\n"));
    QCOMPARE(b.api->TriggerCount(), 2);
    QCOMPARE(b.api->TriggerList.walkEnd(), 2);
    QCOMPARE(b.api->TriggerList.actions.at(1), QStringLiteral("fuggi<%>bevi<%>"));
    QVERIFY(b.api->TriggerList.revision > rev);
    QCOMPARE(b.items(), (QStringList{"A", " ti colpisce"}));
    QCOMPARE(b.w->state(), FrmPairEditor::State::Browsing);
    QCOMPARE(b.active(), kBrowsing);
    QVERIFY(b.testo()->text().isEmpty() && b.azione()->toPlainText().isEmpty());

    // An action of one line break is content, and becomes a bare separator.
    b.press(Nuovo);
    QTest::keyClicks(b.testo(), "x");
    QTest::keyClick(b.azione(), Qt::Key_Return);
    b.press(Conferma);
    QVERIFY(b.dialogs.messages.isEmpty());
    QCOMPARE(b.api->TriggerList.actions.at(2), QStringLiteral("<%>"));
}

void TstFrmPairEditor::confermaChecksActionBeforeText() {
    Bench b(Stores::Kind::Triggers, "A<!>uno<%>\r\n");
    b.press(Nuovo);
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 1);
    QCOMPARE(b.dialogs.messages[0].text, QStringLiteral("non è stato inserito alcuna azione"));
    QCOMPARE(b.dialogs.messages[0].title, QStringLiteral("Azione mancante"));
    QCOMPARE(b.dialogs.messages[0].flags, 16);
    QCOMPARE(b.w->state(), FrmPairEditor::State::NewEntry);

    b.type("   ", {"   "});
    b.press(Conferma);
    QCOMPARE(b.dialogs.lastText(), QStringLiteral("non è stato inserito alcuna azione"));
    QTest::keyClicks(b.azione(), "x");
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 3);
    QCOMPARE(b.dialogs.messages[2].text, QStringLiteral("non è stato inserito alcun testo"));
    QCOMPARE(b.dialogs.messages[2].title, QStringLiteral("Testo mancante"));
    QCOMPARE(b.w->state(), FrmPairEditor::State::NewEntry);
    QCOMPARE(b.active(), kEditing);
    QCOMPARE(b.api->TriggerCount(), 1);
    QCOMPARE(get(b.path()), QByteArray("A<!>uno<%>\r\n"));
}

void TstFrmPairEditor::duplicateTextsShowLastChangeAllDeleteFirst() {
    Bench b(Stores::Kind::Triggers, "A<!>uno<%>\r\nB<!>b<%>\r\nA<!>due<%>\r\n");
    b.clickEntry(0);
    QCOMPARE(b.azione()->toPlainText(), QStringLiteral("due\n")); // the later one
    b.press(Modifica);
    QCOMPARE(b.w->OldText(), QStringLiteral("A"));
    QCOMPARE(b.testo()->text(), QStringLiteral("A")); // content kept
    b.testo()->clear();
    b.azione()->clear();
    b.type("Z", {"tre"});
    b.press(Conferma);
    QCOMPARE(get(b.path()), QByteArray("Z<!>tre<%>\r\nB<!>b<%>\r\nZ<!>tre<%>\r\n"));
    QVERIFY(!b.w->ModifyMode());

    put(b.path(), "Z<!>uno<%>\r\nB<!>b<%>\r\nZ<!>due<%>\r\n");
    b.press(Annulla); // inactive: nothing read
    QCOMPARE(b.api->TriggerList.actions.at(0), QStringLiteral("tre<%>"));
    b.press(Nuovo);
    b.press(Annulla); // reads the file back
    b.clickEntry(2);
    b.press(Elimina);
    QCOMPARE(get(b.path()), QByteArray("B<!>b<%>\r\nZ<!>due<%>\r\n"));
    QCOMPARE(b.items(), (QStringList{"B", "Z"}));
}

void TstFrmPairEditor::modificaThenAnotherListClick() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\nB<!>b<%>\r\nC<!>c<%>\r\n");
    b.clickEntry(0);
    b.press(Modifica);
    b.clickEntry(1); // fills the editable boxes with B
    QCOMPARE(b.testo()->text(), QStringLiteral("B"));
    QVERIFY(b.testo()->isEnabled());
    QCOMPARE(b.active(), (QList<bool>{false, true, true, true, true, true}));
    b.azione()->clear();
    QTest::keyClicks(b.azione(), "nuovo");
    b.press(Conferma);
    // The entry shown at Modifica (A) took the boxes' content; B is untouched.
    QCOMPARE(get(b.path()), QByteArray("B<!>nuovo<%>\r\nB<!>b<%>\r\nC<!>c<%>\r\n"));
}

void TstFrmPairEditor::deleteInMiddleAndAnsweringNo() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\nB<!>b<%>\r\nC<!>c<%>\r\nD<!>d<%>\r\n");
    b.clickEntry(1);
    b.press(Elimina);
    QCOMPARE(b.dialogs.messages.size(), 1);
    QCOMPARE(b.dialogs.lastText(),
             QStringLiteral("Sei sicuro di voler cancellare questo trigger?"));
    QCOMPARE(b.dialogs.messages[0].title, QStringLiteral("Elimina"));
    QCOMPARE(b.dialogs.messages[0].flags, 20);
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\nC<!>c<%>\r\nD<!>d<%>\r\n"));
    QCOMPARE(b.items(), (QStringList{"A", "C", "D"}));
    QCOMPARE(b.api->TriggerCount(), 3);

    b.clickEntry(2);
    b.dialogs.answers << Msg::No;
    b.press(Elimina);
    QCOMPARE(b.items(), (QStringList{"A", "C", "D"}));
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\nC<!>c<%>\r\nD<!>d<%>\r\n"));
    QCOMPARE(b.w->state(), FrmPairEditor::State::Browsing);
    QCOMPARE(b.active(), kBrowsing);
    QVERIFY(b.testo()->text().isEmpty());
}

void TstFrmPairEditor::deleteOnlyEntryThenAddFirst() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\n");
    b.clickEntry(0);
    b.press(Elimina);
    QCOMPARE(get(b.path()), QByteArray());
    QCOMPARE(b.api->TriggerCount(), 0);
    QCOMPARE(b.w->list()->count(), 0);
    b.press(Nuovo);
    b.type("N", {"n"});
    b.press(Conferma);
    QCOMPARE(get(b.path()), QByteArray("N<!>n<%>\r\n"));
    QCOMPARE(b.api->TriggerList.texts, (QStringList{"N", ""}));
}

void TstFrmPairEditor::deleteWithEmptiedTextKeepsEveryEntry() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\nB<!>b<%>\r\n");
    b.clickEntry(0);
    b.press(Modifica);
    b.clickEntry(1); // offers Elimina again while the boxes are editable
    b.testo()->clear();
    b.press(Elimina);
    QCOMPARE(b.dialogs.messages.size(), 1);
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\nB<!>b<%>\r\n"));
    QCOMPARE(b.items(), (QStringList{"A", "B"}));
    QCOMPARE(b.api->TriggerList.texts.size(), 3);
}

void TstFrmPairEditor::inactiveButtonsDoNothingAndDoNotRepaint() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\n");
    QCoreApplication::processEvents();
    PaintCounter counter;
    b.w->clientArea()->installEventFilter(&counter);
    for (int button : {Modifica, Elimina, Conferma, Annulla})
        b.press(button);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);
    QVERIFY(b.dialogs.messages.isEmpty());
    QCOMPARE(b.active(), kBrowsing);
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\n"));
    // An active one repaints.
    b.press(Nuovo);
    QTRY_VERIFY(counter.paints > 0);
}

void TstFrmPairEditor::annullaReadsBackTheFile() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\n");
    b.clickEntry(0);
    b.press(Modifica);
    QTest::keyClicks(b.testo(), "X");
    b.press(Annulla);
    QVERIFY(!b.w->ModifyMode());
    QCOMPARE(b.active(), kBrowsing);
    b.press(Nuovo);
    b.type("N", {"n"});
    b.press(Conferma);
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\nN<!>n<%>\r\n"));
}

void TstFrmPairEditor::readOnlyFolderKeepsThePlayersChange() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\nB<!>b<%>\r\n");
    // The folder can no longer be written (nor read), whoever we run as.
    QVERIFY(QDir().rename(b.folder, b.folder + ".via"));
    put(b.folder, "not a folder");

    b.press(Nuovo);
    b.type("N", {"n"});
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 1);
    QVERIFY(b.dialogs.lastText().contains(QStringLiteral("Impossibile scrivere")));
    QVERIFY(b.dialogs.lastText().contains("trigger.txt"));
    QCOMPARE(b.dialogs.messages[0].flags, int(Msg::Critical));
    // The change lives on for this run: counted, shown and seen by firing.
    QCOMPARE(b.items(), (QStringList{"A", "B", "N"}));
    QCOMPARE(b.api->TriggerCount(), 3);
    QCOMPARE(b.api->TriggerList.walkEnd(), 3);
    QCOMPARE(b.api->TriggerList.actions.at(2), QStringLiteral("n"));
    QCOMPARE(get(b.folder + ".via/trigger.txt"), QByteArray("A<!>a<%>\r\nB<!>b<%>\r\n"));
    QCOMPARE(b.w->state(), FrmPairEditor::State::Browsing);

    // The next new entry goes after it, not over it.
    b.press(Nuovo);
    b.type("M", {"m"});
    b.press(Conferma);
    QCOMPARE(b.items(), (QStringList{"A", "B", "N", "M"}));

    // Once the folder is back, the next save writes every change.
    QFile::remove(b.folder);
    QVERIFY(QDir().rename(b.folder + ".via", b.folder));
    b.clickEntry(0);
    b.press(Elimina);
    QCOMPARE(get(b.path()), QByteArray("B<!>b<%>\r\nN<!>n<%>\r\nM<!>m<%>\r\n"));
    QCOMPARE(b.dialogs.messages.size(), 3); // two failures, one question
}

void TstFrmPairEditor::unreadableFileIsToldAndTheTableKept() {
    Bench b(Stores::Kind::Aliases, "k<!>kill\r\nn<!>nord\r\n");
    QVERIFY(QDir().rename(b.folder, b.folder + ".via"));
    put(b.folder, "not a folder");
    b.press(Nuovo);
    b.press(Annulla); // reads the file back
    QCOMPARE(b.dialogs.messages.size(), 1);
    QVERIFY(b.dialogs.lastText().contains("alias.txt"));
    QCOMPARE(b.dialogs.messages[0].flags, int(Msg::Critical));
    QCOMPARE(b.dialogs.messages[0].title, QStringLiteral("Errore"));
    QCOMPARE(b.api->AliasCount(), 2);
    QCOMPARE(b.items(), (QStringList{"k", "n"}));
}

void TstFrmPairEditor::fullStoreRefusesNewEntriesAndTellsIdleLinesOnce() {
    QByteArray file;
    for (int i = 0; i < 32768; ++i)
        file += "t" + QByteArray::number(i) + "<!>a<%>\r\n";
    Bench b(Stores::Kind::Triggers, file);
    // The line beyond the limit is told once, at the open...
    QCOMPARE(b.dialogs.messages.size(), 1);
    QVERIFY(b.dialogs.lastText().contains("trigger.txt contiene più di 32767 voci"));
    QCOMPARE(b.dialogs.messages[0].flags, int(Msg::Exclamation));
    QCOMPARE(b.dialogs.messages[0].title, QStringLiteral("Attenzione"));
    // ...and not again when Annulla reads the file back.
    b.clickEntry(1);
    b.press(Modifica);
    b.press(Annulla);
    QCOMPARE(b.dialogs.messages.size(), 1);

    // No room: Nuovo is refused before anything is typed.
    const QString full = QStringLiteral("Il file trigger.txt contiene già 32767 voci, il massimo: "
                                        "una voce in più non sarebbe attiva.\nEliminarne una per "
                                        "fare posto.");
    b.press(Nuovo);
    QCOMPARE(b.dialogs.messages.size(), 2);
    QCOMPARE(b.dialogs.lastText(), full);
    QCOMPARE(b.dialogs.messages[1].flags, int(Msg::Exclamation));
    QCOMPARE(b.w->state(), FrmPairEditor::State::Browsing);
    QCOMPARE(b.active(), kBrowsing);
    QVERIFY(!b.testo()->isEnabled());

    // Deleting one lets the idle line in, silently; the store is still full.
    b.clickEntry(0);
    b.press(Elimina);
    QCOMPARE(b.dialogs.messages.size(), 3); // the question
    QCOMPARE(b.items().last(), QStringLiteral("t32767"));
    b.press(Nuovo);
    QCOMPARE(b.dialogs.lastText(), full);

    // With a place free the new entry is saved, listed and active.
    b.clickEntry(0);
    b.press(Elimina);
    b.press(Nuovo);
    b.type("drago", {"fuggi"});
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 5);
    QCOMPARE(b.items().last(), QStringLiteral("drago"));
    QCOMPARE(b.api->TriggerList.walkEnd(), 32767);
    QCOMPARE(b.api->TriggerList.texts.at(32766), QStringLiteral("drago"));
    QVERIFY(get(b.path()).endsWith("t32767<!>a<%>\r\ndrago<!>fuggi<%>\r\n"));
}

void TstFrmPairEditor::everyCharacterIsKeptOrRefused() {
    Bench b(Stores::Kind::Triggers, "A<!>a<%>\r\n");
    b.press(Nuovo);
    b.type(QStringLiteral("vento "), {QStringLiteral("guarda\u00A0nord")});
    paste(b.testo(), QStringLiteral("ł"));
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 1);
    QCOMPARE(b.dialogs.lastText(),
             QStringLiteral("Il carattere «ł» (U+0142) non può essere salvato nel file "
                            "trigger.txt, che usa la codifica Windows-1252 (un byte per "
                            "carattere).\nToglierlo o sostituirlo, poi riprovare."));
    QCOMPARE(b.dialogs.messages[0].title, QStringLiteral("Carattere non valido"));
    QCOMPARE(b.dialogs.messages[0].flags, int(Msg::Critical));
    // Nothing is saved; what was typed stays, with the character selected.
    QCOMPARE(b.w->state(), FrmPairEditor::State::NewEntry);
    QCOMPARE(b.testo()->text(), QStringLiteral("vento ł"));
    QCOMPARE(b.testo()->selectedText(), QStringLiteral("ł"));
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\n"));
    QCOMPARE(b.api->TriggerCount(), 1);

    // One beyond 16 bits, on the action's second line.
    QTest::keyClick(b.testo(), Qt::Key_Backspace);
    QTest::keyClick(b.azione(), Qt::Key_Return);
    paste(b.azione(), QStringLiteral("di \U0001F600"));
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 2);
    QVERIFY(b.dialogs.lastText().contains(QStringLiteral("«\U0001F600» (U+1F600)")));
    QCOMPARE(b.azione()->textCursor().selectedText(), QStringLiteral("\U0001F600"));

    // Taken out, the entry is saved with its no-break space as the byte A0.
    QTest::keyClick(b.azione(), Qt::Key_Backspace);
    b.press(Conferma);
    QCOMPARE(b.dialogs.messages.size(), 2);
    QCOMPARE(get(b.path()), QByteArray("A<!>a<%>\r\nvento <!>guarda\xA0nord<%>di <%>\r\n"));
    QCOMPARE(b.api->TriggerList.actions.at(1), QStringLiteral("guarda\u00A0nord<%>di <%>"));
}

void TstFrmPairEditor::aliasEditorDifferences() {
    Bench b(Stores::Kind::Aliases, "k<!>kill<%>bash\r\nn<!>nord\r\n");
    QCOMPARE(b.w->objectName(), QStringLiteral("frmAlias"));
    QCOMPARE(b.w->windowTitle(), QStringLiteral("Alias Settings"));
    QCOMPARE(b.w->clientSize(), QSize(624, 201));
    QVERIFY(b.w->findChild<QListWidget*>("lstAlias"));
    QCOMPARE(b.w->findChild<QLabel*>("Label1")->pos(), QPoint(288, 8));
    QVERIFY(!b.w->findChild<QLabel*>("Label1_1"));

    b.clickEntry(0);
    QCOMPARE(b.azione()->toPlainText(), QStringLiteral("kill\nbash")); // no empty last line
    b.press(Nuovo);
    b.type("K", {"uno", "", "due"}); // differs from "k" only in letter case
    b.press(Conferma);
    QCOMPARE(get(b.path(false)), QByteArray("k<!>kill<%>bash\r\nn<!>nord\r\nK<!>uno<%><%>due\r\n"));
    QCOMPARE(b.items(), (QStringList{"k", "n", "K"}));

    b.clickEntry(2);
    b.press(Elimina);
    QCOMPARE(b.dialogs.lastText(), QStringLiteral("Sei sicuro di voler cancellare questo Alias?"));
    QCOMPARE(get(b.path(false)), QByteArray("k<!>kill<%>bash\r\nn<!>nord\r\n"));
    QCOMPARE(b.api->AliasCount(), 2);
    QCOMPARE(b.api->TriggerCount(), 0); // the other store is not touched
}

void TstFrmPairEditor::esciClosesAndDropsTheOutline() {
    Bench b(Stores::Kind::Triggers, QByteArray());
    QVERIFY(QFile::exists(b.path())); // created by the load
    b.press(Esci);
    QVERIFY(!b.w->isVisible());
    QVERIFY(b.w->mask().isEmpty());
    QVERIFY(b.dialogs.messages.isEmpty());
}

QTEST_MAIN(TstFrmPairEditor)
#include "tst_frmpaireditor.moc"
