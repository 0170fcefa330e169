#include "files/FolderFiles.h"

#include <QDir>

QStringList filesNamed(const QString& folder, QStringView prefix, QStringView suffix) {
    QStringList named;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
        if (name.size() >= prefix.size() + suffix.size() &&
            name.startsWith(prefix, Qt::CaseInsensitive) &&
            name.endsWith(suffix, Qt::CaseInsensitive))
            named << name;
    return named;
}
