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

bool fail(QString* error, const QString& what, const QString& path, QFileDevice::FileError e) {
    if (error)
        *error = QStringLiteral("%1 \"%2\": %3").arg(what, QFileInfo(path).fileName(), reason(e));
    return false;
}

// An 8-bit file cannot hold every character: refuse rather than write '?'.
bool refuseMisfit(QString* error, const QString& path, const QString& text) {
    const std::optional<CodePage::Misfit> misfit = CodePage::firstMisfit(text);
    if (!misfit)
        return false;
    if (error)
        *error = CodePage::misfitMessage(*misfit, QFileInfo(path).fileName());
    return true;
}

} // namespace

namespace TextFile {

bool readAll(const QString& path, QString& text, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Impossibile aprire il file"), path, f.error());
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("Impossibile leggere il file"), path, f.error());
    text = CodePage::decode(bytes);
    return true;
}

bool readLines(const QString& path, QStringList& lines, QString* error, bool createIfMissing) {
    if (createIfMissing && !QFileInfo::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return fail(error, QStringLiteral("Impossibile creare il file"), path, f.error());
    }
    QString text;
    if (!readAll(path, text, error))
        return false;
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
    return true;
}

bool writeAll(const QString& path, const QString& text, QString* error) {
    if (refuseMisfit(error, path, text))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("Impossibile scrivere il file"), path, f.error());
    const QByteArray bytes = CodePage::encode(text);
    if (f.write(bytes) != bytes.size()) {
        const auto e = f.error();
        f.cancelWriting();
        return fail(error, QStringLiteral("Impossibile scrivere il file"), path, e);
    }
    if (!f.commit())
        return fail(error, QStringLiteral("Impossibile scrivere il file"), path, f.error());
    return true;
}

bool writeLines(const QString& path, const QStringList& lines, QString* error) {
    QString text;
    qsizetype size = 0;
    for (const QString& l : lines)
        size += l.size() + 2;
    text.reserve(size);
    for (const QString& l : lines) {
        text += l;
        text += QLatin1String("\r\n");
    }
    return writeAll(path, text, error);
}

bool append(const QString& path, const QString& text, QString* error) {
    if (refuseMisfit(error, path, text))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(error, QStringLiteral("Impossibile aprire il file"), path, f.error());
    const QByteArray bytes = CodePage::encode(text);
    if (f.write(bytes) != bytes.size() || !f.flush())
        return fail(error, QStringLiteral("Impossibile scrivere il file"), path, f.error());
    return true;
}

} // namespace TextFile
