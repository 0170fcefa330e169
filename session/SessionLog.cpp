#include "session/SessionLog.h"

#include "files/CodePage.h"

#include <QDir>
#include <QFile>

SessionLog::SessionLog(QString programFolder)
    : m_folder(std::move(programFolder)), m_clock([] { return QDateTime::currentDateTime(); }) {}

QString SessionLog::pathFor(const QDateTime& now) const {
    return m_folder + QStringLiteral("/Log/") + now.toString(QStringLiteral("dd-MM-yyyy")) +
           (m_encoding == TextEncoding::Utf8 ? QStringLiteral("-utf8.txt")
                                             : QStringLiteral(".txt"));
}

QString SessionLog::currentPath() const {
    return pathFor(m_clock());
}

QString SessionLog::startBanner(const QDateTime& now) {
    return QStringLiteral("\r\n*******************[ inizio log ]*******************\r\n") +
           QStringLiteral("[ Log del ") + now.toString(QStringLiteral("dd-MM-yyyy")) +
           QStringLiteral(" delle ore: ") + now.toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral(" ]\r\n****************************************************\r\n\r\n");
}

QString SessionLog::endBanner() {
    return QStringLiteral("\r\n********************[ fine log ]********************\r\n\r\n");
}

FileResult SessionLog::setEnabled(bool ticked) {
    m_enabled = ticked;
    const QDateTime now = m_clock();
    return append(ticked ? startBanner(now) : endBanner(), now);
}

FileResult SessionLog::setEncoding(TextEncoding encoding) {
    if (encoding == m_encoding)
        return FileResult::done();
    m_encoding = encoding;
    if (!m_enabled)
        return FileResult::done();
    const QDateTime now = m_clock();
    return append(startBanner(now), now);
}

FileResult SessionLog::writePiece(QStringView piece) {
    if (!m_enabled || piece.isEmpty())
        return FileResult::done();
    return append(piece, m_clock());
}

FileResult SessionLog::append(QStringView text, const QDateTime& now) {
    const QString path = pathFor(now);
    QFile file(path);
    QByteArray bytes;
    if (m_encoding == TextEncoding::Utf8) {
        if (file.size() == 0)
            bytes = QByteArrayLiteral("\xEF\xBB\xBF");
        bytes += text.toUtf8();
    } else {
        // Text in the code page always fits it; a banner too.
        bytes = CodePage::encode(text);
    }
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                    file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (ok)
        return FileResult::done();
    return FileResult::writeFailed(QStringLiteral("Impossibile scrivere nel file di log ") +
                                   QDir::toNativeSeparators(path));
}
