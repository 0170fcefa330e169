#pragma once
// The trigger and alias stores: trigger.txt and alias.txt beside the program,
// one entry a line, "text<!>action". Loading fills a table (entries plus one
// empty spare element) and the editor's list; saving rewrites the whole file
// in one atomic step. Failures are told to the player in a message box and
// leave the table in memory as it was; the result says whether it worked.
#include "automation/Api.h"

#include <QString>
#include <QStringList>

class QListWidget;
class QWidget;

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

// Load and save of one store; owner parents the message box of a failure.
bool load(Api& api, Kind kind, QListWidget* list, QWidget* owner = nullptr);
bool save(Api& api, Kind kind, QWidget* owner = nullptr);

} // namespace Stores

bool LoadTriggers(Api& api, QListWidget* list, QWidget* owner = nullptr);
bool SaveTriggers(Api& api, QWidget* owner = nullptr);
bool LoadAliases(Api& api, QListWidget* list, QWidget* owner = nullptr);
bool SaveAliases(Api& api, QWidget* owner = nullptr);
