#include "automation/Stores.h"

#include "files/TextFile.h"

#include <QListWidget>

namespace {
const QString kField = QStringLiteral("<!>");
const QString kSep = QStringLiteral("<%>");
const QString kDoubleSep = QStringLiteral("<%><%>");
} // namespace

namespace Stores {

QString fileName(Kind kind) {
    return kind == Kind::Triggers ? QStringLiteral("trigger.txt") : QStringLiteral("alias.txt");
}

PairTable& tableOf(Api& api, Kind kind) {
    return kind == Kind::Triggers ? api.TriggerList : api.AliasList;
}

void parse(const QStringList& lines, Kind kind, PairTable& table) {
    QStringList texts, actions, beyond;
    texts.reserve(qMin<qsizetype>(lines.size(), PairTable::kMaxEntries) + 1);
    actions.reserve(texts.capacity());
    for (const QString& s : lines) {
        if (texts.size() >= PairTable::kMaxEntries) {
            if (!s.isEmpty())
                beyond.append(s);
            continue;
        }
        if (s.isEmpty() || (kind == Kind::Triggers && s == kField))
            continue;
        const qsizetype first = s.indexOf(kField);
        if (first < 0)
            continue; // no action: not an entry
        // The action runs to a second "<!>", if any; a third field is dropped.
        const qsizetype from = first + kField.size();
        const qsizetype second = s.indexOf(kField, from);
        texts.append(s.left(first));
        actions.append(second < 0 ? s.mid(from) : s.mid(from, second - from));
    }
    table.count = qint32(texts.size());
    texts.append(QString());
    actions.append(QString());
    table.texts = std::move(texts);
    table.actions = std::move(actions);
    table.beyondLimit = std::move(beyond);
    table.touch();
}

QStringList format(PairTable& table, Kind kind, bool storeBack) {
    QStringList lines;
    const qsizetype last = qMin(table.texts.size(), table.actions.size()) - 1;
    lines.reserve(qMax<qsizetype>(last, 0));
    for (qsizetype i = 0; i < last; ++i) {
        const QString& text = table.texts.at(i);
        if (kind == Kind::Aliases) {
            lines.append(text + kField + table.actions.at(i));
            continue;
        }
        if (text.isEmpty())
            continue;
        QString action = table.actions.at(i) + kSep;
        action.replace(kDoubleSep, kSep); // one pass, left to right
        lines.append(text + kField + action);
        if (storeBack && action != table.actions.at(i))
            table.actions[i] = action;
    }
    lines += table.beyondLimit;
    if (storeBack)
        table.touch();
    return lines;
}

void fillList(const PairTable& table, QListWidget* list) {
    if (!list)
        return;
    list->setUpdatesEnabled(false);
    list->clear();
    const qsizetype n = qMax<qsizetype>(table.texts.size() - 1, 0);
    list->addItems(table.texts.mid(0, n));
    list->setUpdatesEnabled(true);
}

FileResult load(Api& api, Kind kind, QListWidget* list) {
    PairTable& table = tableOf(api, kind);
    QStringList lines;
    if (const FileResult read = TextFile::readLines(api.pathOf(fileName(kind)), lines, true);
        !read) {
        fillList(table, list);
        return FileResult::readFailed(read.message +
                                      QStringLiteral(".\nSi continua con i dati già in memoria."));
    }
    const qsizetype idleBefore = table.beyondLimit.size();
    parse(lines, kind, table);
    fillList(table, list);
    if (table.beyondLimit.size() <= idleBefore)
        return FileResult::done();
    return FileResult::notice(
        QStringLiteral("Il file %1 contiene più di %2 voci: le %3 righe in più restano nel "
                       "file ma non sono attive.")
            .arg(fileName(kind))
            .arg(PairTable::kMaxEntries)
            .arg(table.beyondLimit.size()));
}

FileResult save(Api& api, Kind kind) {
    PairTable& table = tableOf(api, kind);
    // Write first, change the table only once the file is safely replaced.
    const QStringList lines = format(table, kind, false);
    if (const FileResult written = TextFile::writeLines(api.pathOf(fileName(kind)), lines);
        !written)
        return FileResult::writeFailed(
            written.message +
            QStringLiteral(".\nIl file precedente non è stato modificato; le modifiche "
                           "restano valide fino alla chiusura del programma."));
    format(table, kind, true);
    return FileResult::done();
}

bool hasRoom(const PairTable& table) {
    return table.texts.size() - 1 < PairTable::kMaxEntries && table.beyondLimit.isEmpty();
}

} // namespace Stores

FileResult LoadTriggers(Api& api, QListWidget* list) {
    return Stores::load(api, Stores::Kind::Triggers, list);
}
FileResult SaveTriggers(Api& api) {
    return Stores::save(api, Stores::Kind::Triggers);
}
FileResult LoadAliases(Api& api, QListWidget* list) {
    return Stores::load(api, Stores::Kind::Aliases, list);
}
FileResult SaveAliases(Api& api) {
    return Stores::save(api, Stores::Kind::Aliases);
}
