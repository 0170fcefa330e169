#include "ui/FileDialogs.h"

#include "ui/Dialogs.h"

#include <QFileInfo>

namespace {

// One record for the whole process: each call sets what it needs and leaves
// the filter index as the previous dialog left it.
FileDialogRequest& sharedRecord() {
    static FileDialogRequest record;
    return record;
}

QString runDialog(FileDialogRequest::Kind kind, QWidget* owner, const QString& filter,
                  const QString& title, qint32 flags, const QString& folder) {
    FileDialogRequest& rec = sharedRecord();
    rec.folder = folder;
    rec.kind = kind;
    rec.owner = owner;
    rec.title = title;
    rec.nameFilters = nameFiltersFrom(filter);
    rec.mustExist = kind == FileDialogRequest::Open && (flags & DialogFlags::FileMustExist);
    if (rec.filterIndex < 0 || rec.filterIndex >= rec.nameFilters.size())
        rec.filterIndex = 0;

    for (;;) {
        const QString path = TrimAtNull(dialogs().fileDialog(rec));
        if (path.isEmpty())
            return QString();
        if (rec.mustExist && !QFileInfo(path).isFile()) {
            // The dialog refuses the name and stays open, as it does for a
            // person typing a wrong name.
            msgBox(owner,
                   QStringLiteral("%1\nFile non trovato.\nVerificare il nome del file.").arg(path),
                   Msg::Exclamation, title);
            continue;
        }
        return path;
    }
}

} // namespace

QString TrimAtNull(const QString& s) {
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

QStringList nameFiltersFrom(const QString& filter) {
    QStringList parts = filter.split(QChar(0));
    // The list ends at the first empty item (the closing NUL).
    const qsizetype end = parts.indexOf(QString());
    if (end >= 0)
        parts.resize(end);
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QChar(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(QChar(' ')));
    }
    return out;
}

QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, qint32 flags,
                       const QString& folder) {
    return runDialog(FileDialogRequest::Open, owner, filter, title, flags, folder);
}

QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, qint32 flags,
                       const QString& folder) {
    return runDialog(FileDialogRequest::Save, owner, filter, title, flags, folder);
}
