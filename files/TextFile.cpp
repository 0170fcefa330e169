#include "files/TextFile.h"

#include "files/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString reason(QFileDevice::FileError e) {
    switch (e) {
    case QFileDevice::PermissionsError:
        return QStringLiteral("permesso negato");
    case QFileDevice::ResourceError:
        return QStringLiteral("spazio o risorse esauriti");
    case QFileDevice::ReadError:
        return QStringLiteral("errore di lettura");
    case QFileDevice::WriteError:
        return QStringLiteral("errore di scrittura");
    default:
        return QStringLiteral("il file o la cartella non sono accessibili");
    }
}

QString failure(const QString& what, const QString& path, QFileDevice::FileError e) {
    return QStringLiteral("%1 \"%2\": %3").arg(what, QFileInfo(path).fileName(), reason(e));
}

FileResult readFailure(const QString& what, const QString& path, QFileDevice::FileError e) {
    return FileResult::readFailed(failure(what, path, e));
}

FileResult writeFailure(const QString& path, QFileDevice::FileError e) {
    return FileResult::writeFailed(
        failure(QStringLiteral("Impossibile scrivere il file"), path, e));
}

} // namespace

namespace TextFile {

FileResult readAll(const QString& path, QString& text) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return readFailure(QStringLiteral("Impossibile aprire il file"), path, f.error());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return readFailure(QStringLiteral("Impossibile leggere il file"), path, f.error());
    text = CodePage::decode(bytes);
    return FileResult::done();
}

FileResult readLines(const QString& path, QStringList& lines, bool createIfMissing) {
    if (createIfMissing && !QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return readFailure(QStringLiteral("Impossibile creare il file"), path, f.error());
    }
    QString text;
    if (FileResult read = readAll(path, text); !read)
        return read;
    lines.clear();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype next = end < 0 ? n : end + 1;
        if (end < 0)
            end = n;
        qsizetype stop = end;
        if (end < n && stop > start && text.at(stop - 1) == QLatin1Char('\r'))
            --stop;
        lines.append(text.mid(start, stop - start));
        start = next;
    }
    return FileResult::done();
}

FileResult writeAll(const QString& path, const QString& text) {
    // An 8-bit file cannot hold every character: refuse rather than write '?'.
    if (const std::optional<CodePage::Misfit> misfit = CodePage::firstMisfit(text))
        return FileResult::writeFailed(
            CodePage::misfitMessage(*misfit, QFileInfo(path).fileName()));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return writeFailure(path, f.error());
    const QByteArray bytes = CodePage::encode(text);
    if (f.write(bytes) != bytes.size()) {
        const auto e = f.error();
        f.cancelWriting();
        return writeFailure(path, e);
    }
    if (!f.commit())
        return writeFailure(path, f.error());
    return FileResult::done();
}

FileResult writeLines(const QString& path, const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& l : lines)
        size += l.size() + 2;
    text.reserve(size);
    for (const QString& l : lines) {
        text += l;
        text += QLatin1String("\r\n");
    }
    return writeAll(path, text);
}

} // namespace TextFile
