#pragma once
// An ActionText holds game commands separated by "<%>"; a "§" stands for an
// apostrophe. Each sender adds its own terminator rule before converting.
#include <QString>
#include <QStringView>

struct PairTable;

namespace ActionText {
inline const QString kSeparator = QStringLiteral("<%>");
inline const QString kCrLf = QStringLiteral("\r\n");

// "§" becomes "'", then every "<%>" becomes CR LF.
QString toWire(const QString& action);

// What a fired trigger sends. Its terminator rule: an action with no "<%>"
// within its last five characters gains one in the table itself, where it
// stays until the next load and is written by the next save.
QString triggerCommand(PairTable& triggers, int index);
} // namespace ActionText
