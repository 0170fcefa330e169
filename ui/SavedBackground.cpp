#include "ui/SavedBackground.h"

#include "files/FolderFiles.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>

namespace SavedBackground {

namespace {
const QString kBaseName = QStringLiteral("sfondo");

QStringList keptFiles(const QString& folder) {
    return filesNamed(folder, QString(kBaseName + QChar('.')), {});
}
} // namespace

Loaded load(const QString& folder) {
    Loaded out;
    const QStringList kept = keptFiles(folder);
    if (kept.isEmpty())
        return out;
    const QString path = QDir(folder).filePath(kept.first());
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    out.image = reader.read();
    if (out.image.isNull())
        out.result =
            FileResult::readFailed(QStringLiteral("Impossibile caricare lo sfondo salvato %1:\n%2\n"
                                                  "Si usa lo sfondo normale.")
                                       .arg(QDir::toNativeSeparators(path), reader.errorString()));
    return out;
}

FileResult keep(const QString& folder, const QString& sourcePath, const QByteArray& format) {
    auto failed = [](const QString& message) {
        return FileResult::writeFailed(
            message + QStringLiteral("\nLo sfondo resta solo per questa sessione."));
    };
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("Impossibile leggere %1: %2")
                          .arg(QDir::toNativeSeparators(sourcePath), source.errorString()));
    const QByteArray bytes = source.readAll();
    source.close();

    const QString suffix =
        format.isEmpty() ? QStringLiteral("img") : QString::fromLatin1(format).toLower();
    const QString name = kBaseName + QChar('.') + suffix;
    QSaveFile target(QDir(folder).filePath(name));
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size() ||
        !target.commit())
        return failed(QStringLiteral("Impossibile salvare lo sfondo nella cartella %1: %2")
                          .arg(QDir::toNativeSeparators(folder), target.errorString()));
    // Only now that the new copy is whole do the copies of earlier choices go.
    for (const QString& old : keptFiles(folder))
        if (old != name)
            QFile::remove(QDir(folder).filePath(old));
    return FileResult::done();
}

} // namespace SavedBackground
