#pragma once
// The trigger and alias stores: trigger.txt and alias.txt beside the program,
// one entry a line, "text<!>action". Loading fills a table (entries plus one
// empty spare element) and the editor's list; saving rewrites the whole file
// in one atomic step. Load and save return what happened, with the sentence
// for the player; the window that asked decides how to show it. A failure
// leaves the table in memory as it was.
#include "automation/Api.h"
#include "files/FileResult.h"

#include <QString>
#include <QStringList>

class QListWidget;

namespace Stores {

enum class Kind { Triggers, Aliases };

QString fileName(Kind kind); // "trigger.txt" / "alias.txt"
PairTable& tableOf(Api& api, Kind kind);

// Parses the file's lines into table (replacing its entries; count set, one
// spare element added). Lines that cannot be an entry are skipped: an empty
// line, a line without "<!>", and for triggers a line that is exactly "<!>".
// At most PairTable::kMaxEntries entries are read.
void parse(const QStringList& lines, Kind kind, PairTable& table);

// The lines a save writes, in order. For triggers an entry with an empty
// text is left out and each action gets "<%>" appended and "<%><%>"
// collapsed once; with storeBack those actions replace the table's.
QStringList format(PairTable& table, Kind kind, bool storeBack);

// Shows the table's entries (all but the spare) in list, replacing its items.
void fillList(const PairTable& table, QListWidget* list);

// Reads the store's file into its table and shows the entries in list (when
// given; on a failure it shows the table as it stays). ReadFailed: nothing
// read. Notice: this load left more lines beyond the limit, idle, than the
// table had before, so the player has not yet been told about them; a load
// that finds the same ones again is Done.
FileResult load(Api& api, Kind kind, QListWidget* list);

// Writes the table to the store's file. WriteFailed: the file and the table
// are as they were.
FileResult save(Api& api, Kind kind);

// Whether an entry added now would be active: the table holds fewer entries
// than it can, and no line of the file is idle beyond them.
bool hasRoom(const PairTable& table);

} // namespace Stores

FileResult LoadTriggers(Api& api, QListWidget* list);
FileResult SaveTriggers(Api& api);
FileResult LoadAliases(Api& api, QListWidget* list);
FileResult SaveAliases(Api& api);
