#pragma once
// The TriggerList and the AliasList: two parallel sequences (match text or
// alias name, and ActionText) and the count of valid entries. After a load the
// sequences hold one spare element beyond the count; readers walk every
// element but that last one. Indexes were 16-bit: at most 32767 entries.
#include <QStringList>

struct PairTable {
    static constexpr int kMaxEntries = 32767;

    QStringList texts;   // match texts (triggers) or alias names
    QStringList actions; // ActionText, parallel to texts
    qint32 count = 0;    // entries read by the last load
    // Lines of the file beyond the last entry the table can hold: not active,
    // but written back by every save so that nothing on disk is lost.
    QStringList beyondLimit;
    // Bumped by every change, so caches built from the table (the trigger
    // matcher) know when to rebuild.
    quint64 revision = 0;

    void touch() { ++revision; }
    // Elements walked by trigger firing and alias expansion: all but the spare.
    int walkEnd() const { return count < 1 ? 0 : int(texts.size()) - 1; }
};
