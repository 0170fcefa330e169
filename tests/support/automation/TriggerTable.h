#pragma once
// Trigger tables for tests and benchmarks, shaped as a load leaves them.
// Header only: it builds into the programs that already link automation/.
#include "automation/PairTable.h"
#include "automation/Stores.h"
#include "files/TextFile.h"

#include <QList>
#include <QPair>
#include <QString>

using TriggerEntries = QList<QPair<QString, QString>>; // match text, action

// The entries plus the empty spare element, with their count.
inline PairTable triggerTable(const TriggerEntries& entries) {
    PairTable t;
    for (const auto& [text, action] : entries) {
        t.texts << text;
        t.actions << action;
    }
    t.texts << QString();
    t.actions << QString();
    t.count = int(entries.size());
    return t;
}

// Match texts alone, each with an empty action.
inline PairTable matchTextTable(const QStringList& texts) {
    TriggerEntries entries;
    for (const QString& text : texts)
        entries.append({text, QString()});
    return triggerTable(entries);
}

// The entries of a trigger file as the client loads it; none when it cannot
// be read.
inline TriggerEntries readTriggerEntries(const QString& path) {
    QStringList lines;
    if (!TextFile::readLines(path, lines))
        return {};
    PairTable table;
    Stores::parse(lines, Stores::Kind::Triggers, table);
    TriggerEntries entries;
    for (int i = 0; i < table.count; ++i)
        entries.append({table.texts.at(i), table.actions.at(i)});
    return entries;
}
