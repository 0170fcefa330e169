// The trigger and alias stores on real files: reading, the spare element,
// what a save writes and keeps, hand-edited lines, and failures.
#include "automation/Stores.h"
#include "support/ScriptedDialogs.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList items(const QListWidget& l) {
    QStringList out;
    for (int i = 0; i < l.count(); ++i)
        out << l.item(i)->text();
    return out;
}
// Puts a plain file where the program folder was: nothing can be read or
// created in it any more, even with administrator rights.
void breakFolder(const QString& folder) {
    QVERIFY(QDir().rename(folder, folder + ".via"));
    put(folder, "not a folder");
}
} // namespace

class TstStores : public QObject {
    Q_OBJECT
private slots:
    void missingFileIsCreatedEmpty();
    void loadsEntriesWithSpareAndFillsList();
    void skipsMalformedLinesAndGoesOn();
    void aliasKeepsLinesTriggerSkips();
    void countStopsAt32767();
    void idleLinesToldOnceAndNoRoomLeft();
    void triggerSaveAppendsAndCollapsesOnce();
    void aliasSaveWritesUnchanged();
    void emptyFileClearsStaleEntries();
    void failedSaveReportsAndKeepsTable();
    void failedLoadReportsAndKeepsTable();
};

void TstStores::missingFileIsCreatedEmpty() {
    QTemporaryDir dir;
    Api api(dir.path());
    QListWidget list;
    list.addItem("vecchio");
    QVERIFY(LoadTriggers(api, &list));
    QVERIFY(LoadAliases(api, nullptr));
    QVERIFY(QFile::exists(dir.filePath("trigger.txt")));
    QVERIFY(QFile::exists(dir.filePath("alias.txt")));
    QCOMPARE(api.TriggerCount(), 0);
    QCOMPARE(api.TriggerList.walkEnd(), 0);
    QCOMPARE(list.count(), 0);
}

void TstStores::loadsEntriesWithSpareAndFillsList() {
    QTemporaryDir dir;
    put(dir.filePath("trigger.txt"), "ti colpisce<!>fuggi<%>\r\n"
                                     "ha fame<!>mangia<%>bevi<%><!>perso\r\n"
                                     "<!>vuoto<%>\r\n"
                                     "citt\xe0<!>vai\r\n");
    Api api(dir.path());
    const quint64 rev = api.TriggerList.revision;
    QListWidget list;
    QVERIFY(LoadTriggers(api, &list));
    QCOMPARE(api.TriggerCount(), 4);
    QCOMPARE(api.TriggerList.texts,
             (QStringList{"ti colpisce", "ha fame", "", QStringLiteral("città"), ""}));
    QCOMPARE(api.TriggerList.actions,
             (QStringList{"fuggi<%>", "mangia<%>bevi<%>", "vuoto<%>", "vai", ""}));
    QCOMPARE(items(list), api.TriggerList.texts.mid(0, 4));
    QVERIFY(api.TriggerList.revision > rev);
    QCOMPARE(api.TriggerList.walkEnd(), 4);

    // The empty-text entry is dropped, the third field is lost, the file is
    // in the code page with CR LF.
    QVERIFY(SaveTriggers(api));
    QCOMPARE(get(dir.filePath("trigger.txt")), QByteArray("ti colpisce<!>fuggi<%>\r\n"
                                                          "ha fame<!>mangia<%>bevi<%>\r\n"
                                                          "citt\xe0<!>vai<%>\r\n"));
}

void TstStores::skipsMalformedLinesAndGoesOn() {
    QTemporaryDir dir;
    // Lone LF endings too, as a hand edit may leave them.
    put(dir.filePath("trigger.txt"), "A<!>X<%>\r\n"
                                     "\r\n"
                                     "B<!>Y<%>\n"
                                     "<!>\r\n"
                                     "senza separatore\r\n"
                                     "C<!>Z<%>\r\n");
    Api api(dir.path());
    QListWidget list;
    QVERIFY(LoadTriggers(api, &list));
    QCOMPARE(api.TriggerCount(), 3);
    QCOMPARE(items(list), (QStringList{"A", "B", "C"}));
    QCOMPARE(api.TriggerList.actions, (QStringList{"X<%>", "Y<%>", "Z<%>", ""}));
    QVERIFY(SaveTriggers(api));
    QCOMPARE(get(dir.filePath("trigger.txt")), QByteArray("A<!>X<%>\r\nB<!>Y<%>\r\nC<!>Z<%>\r\n"));
}

void TstStores::aliasKeepsLinesTriggerSkips() {
    QTemporaryDir dir;
    put(dir.filePath("alias.txt"), "k<!>kill<%>\r\n<!>\r\nsenza\r\n\r\nN<!>C1<%>C2\r\n");
    Api api(dir.path());
    QListWidget list;
    QVERIFY(LoadAliases(api, &list));
    QCOMPARE(api.AliasCount(), 3);
    QCOMPARE(api.AliasList.texts, (QStringList{"k", "", "N", ""}));
    QCOMPARE(api.AliasList.actions, (QStringList{"kill<%>", "", "C1<%>C2", ""}));
    QCOMPARE(list.count(), 3);
}

void TstStores::countStopsAt32767() {
    QStringList lines;
    for (int i = 0; i < 32768; ++i)
        lines << QStringLiteral("t%1<!>a").arg(i);
    PairTable t;
    Stores::parse(lines, Stores::Kind::Triggers, t);
    QCOMPARE(t.count, 32767);
    QCOMPARE(t.texts.size(), 32768);
    QCOMPARE(t.texts.at(32766), QStringLiteral("t32766"));
    QCOMPARE(t.texts.last(), QString());
    // What the table cannot hold is written back unchanged, not lost.
    QCOMPARE(t.beyondLimit, QStringList{"t32767<!>a"});
    const QStringList saved = Stores::format(t, Stores::Kind::Triggers, false);
    QCOMPARE(saved.size(), 32768);
    QCOMPARE(saved.last(), QStringLiteral("t32767<!>a"));
    QCOMPARE(saved.at(32766), QStringLiteral("t32766<!>a<%>"));
    // Skipped lines do not use up places.
    lines.prepend(QString());
    Stores::parse(lines, Stores::Kind::Aliases, t);
    QCOMPARE(t.count, 32767);
    QCOMPARE(t.texts.first(), QStringLiteral("t0"));
}

void TstStores::idleLinesToldOnceAndNoRoomLeft() {
    QTemporaryDir dir;
    QByteArray file;
    for (int i = 0; i < 32768; ++i)
        file += "t" + QByteArray::number(i) + "<!>a\r\n";
    put(dir.filePath("trigger.txt"), file);
    Api api(dir.path());
    const FileResult first = LoadTriggers(api, nullptr);
    QCOMPARE(first.kind, FileResult::Kind::Notice);
    QVERIFY(first);
    QCOMPARE(first.message, QStringLiteral("Il file trigger.txt contiene più di 32767 voci: le 1 "
                                           "righe in più restano nel file ma non sono attive."));
    QVERIFY(!Stores::hasRoom(api.TriggerList));
    // The same idle lines again (a save and the read after it): nothing new.
    QCOMPARE(SaveTriggers(api).kind, FileResult::Kind::Done);
    QCOMPARE(LoadTriggers(api, nullptr).kind, FileResult::Kind::Done);
    // More of them: the player hears of it again.
    put(dir.filePath("trigger.txt"), file + "u<!>b\r\n");
    QVERIFY(LoadTriggers(api, nullptr).message.contains("le 2 righe"));

    QVERIFY(Stores::hasRoom(PairTable()));
}

void TstStores::triggerSaveAppendsAndCollapsesOnce() {
    QTemporaryDir dir;
    Api api(dir.path());
    PairTable& t = api.TriggerList;
    t.texts = {"a", "b", "c", "d", "e", "f", "spare"};
    t.actions = {"C1<%>C2", "C1<%>", "C1<%><%>C2", "C1<%><%><%><%>C2", "<%>", "C", "never"};
    t.count = 6;
    const quint64 rev = t.revision;
    QVERIFY(SaveTriggers(api));
    const QStringList want{"C1<%>C2<%>", "C1<%>", "C1<%>C2<%>", "C1<%><%>C2<%>",
                           "<%>",        "C<%>",  "never"};
    QCOMPARE(t.actions, want); // stored back, spare untouched
    QVERIFY(t.revision > rev);
    const QByteArray file = get(dir.filePath("trigger.txt"));
    QCOMPARE(file, QByteArray("a<!>C1<%>C2<%>\r\nb<!>C1<%>\r\nc<!>C1<%>C2<%>\r\n"
                              "d<!>C1<%><%>C2<%>\r\ne<!><%>\r\nf<!>C<%>\r\n"));
    // Saving again changes nothing, except that each save removes one more
    // level of empty commands.
    QVERIFY(SaveTriggers(api));
    QByteArray again = file;
    again.replace("d<!>C1<%><%>C2", "d<!>C1<%>C2");
    QCOMPARE(get(dir.filePath("trigger.txt")), again);
}

void TstStores::aliasSaveWritesUnchanged() {
    QTemporaryDir dir;
    Api api(dir.path());
    PairTable& t = api.AliasList;
    t.texts = {"", "n", ""};
    t.actions = {"x", "C1<%><%>C2<%>", ""};
    t.count = 2;
    QVERIFY(SaveAliases(api));
    QCOMPARE(get(dir.filePath("alias.txt")), QByteArray("<!>x\r\nn<!>C1<%><%>C2<%>\r\n"));
    QCOMPARE(t.actions.at(1), QStringLiteral("C1<%><%>C2<%>"));
    // A table that never held an element writes an empty file.
    Api fresh(dir.path());
    QVERIFY(SaveAliases(fresh));
    QCOMPARE(get(dir.filePath("alias.txt")), QByteArray());
}

void TstStores::emptyFileClearsStaleEntries() {
    QTemporaryDir dir;
    put(dir.filePath("trigger.txt"), "A<!>X<%>\r\nB<!>Y<%>\r\n");
    Api api(dir.path());
    QVERIFY(LoadTriggers(api, nullptr));
    put(dir.filePath("trigger.txt"), "");
    QVERIFY(LoadTriggers(api, nullptr));
    QCOMPARE(api.TriggerCount(), 0);
    // The next save must not bring back what the file no longer holds.
    QVERIFY(SaveTriggers(api));
    QCOMPARE(get(dir.filePath("trigger.txt")), QByteArray());
}

void TstStores::failedSaveReportsAndKeepsTable() {
    QTemporaryDir top;
    const QString folder = top.filePath("prog");
    QVERIFY(QDir().mkdir(folder));
    put(folder + "/trigger.txt", "A<!>X\r\n");
    Api api(folder);
    QVERIFY(LoadTriggers(api, nullptr));
    QCOMPARE(api.TriggerList.actions.first(), QStringLiteral("X"));

    breakFolder(folder);
    ScriptedDialogs dialogs;
    const FileResult saved = SaveTriggers(api);
    QVERIFY(!saved);
    QCOMPARE(saved.kind, FileResult::Kind::WriteFailed);
    QVERIFY(saved.message.contains("trigger.txt"));
    QVERIFY(saved.message.contains(QStringLiteral("Impossibile scrivere")));
    // The window that asked tells the player; the store shows nothing.
    QVERIFY(dialogs.messages.isEmpty());
    // Nothing half-done: the action was not turned into "X<%>".
    QCOMPARE(api.TriggerList.actions.first(), QStringLiteral("X"));
    QCOMPARE(api.TriggerCount(), 1);
    QCOMPARE(get(folder + ".via/trigger.txt"), QByteArray("A<!>X\r\n"));
    QCOMPARE(SaveAliases(api).kind, FileResult::Kind::WriteFailed);
}

void TstStores::failedLoadReportsAndKeepsTable() {
    QTemporaryDir top;
    const QString folder = top.filePath("prog");
    QVERIFY(QDir().mkdir(folder));
    put(folder + "/alias.txt", "k<!>kill\r\nn<!>nord\r\n");
    Api api(folder);
    QListWidget list;
    QVERIFY(LoadAliases(api, &list));

    breakFolder(folder);
    ScriptedDialogs dialogs;
    list.addItem("da togliere");
    const FileResult loaded = LoadAliases(api, &list);
    QCOMPARE(loaded.kind, FileResult::Kind::ReadFailed);
    QVERIFY(loaded.message.contains("alias.txt"));
    QVERIFY(loaded.message.endsWith(QStringLiteral("Si continua con i dati già in memoria.")));
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(api.AliasCount(), 2);
    QCOMPARE(api.AliasList.texts, (QStringList{"k", "n", ""}));
    QCOMPARE(items(list), (QStringList{"k", "n"}));
}

QTEST_MAIN(TstStores)
#include "tst_stores.moc"
