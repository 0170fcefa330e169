#include "session/SessionLog.h"

#include "files/CodePage.h"

#include <QDir>

SessionLog::SessionLog(QString programFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(programFolder)),
      m_clock([] { return QDateTime::currentDateTime(); }) {
    m_flushTimer.setInterval(kFlushInterval);
    connect(&m_flushTimer, &QTimer::timeout, this, &SessionLog::flush);
}

QString SessionLog::pathFor(const QDate& day, TextEncoding encoding) const {
    return m_folder + QStringLiteral("/Log/") + day.toString(QStringLiteral("dd-MM-yyyy")) +
           (encoding == TextEncoding::Utf8 ? QStringLiteral("-utf8.txt") : QStringLiteral(".txt"));
}

QString SessionLog::currentPath() const {
    return pathFor(m_clock().date(), m_encoding);
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
    // The end banner ends in a line end: written through before the file closes.
    const FileResult written = append(ticked ? startBanner(now) : endBanner(), now);
    if (!ticked)
        close();
    return told(written);
}

FileResult SessionLog::setEncoding(TextEncoding encoding) {
    if (encoding == m_encoding)
        return FileResult::done();
    m_encoding = encoding;
    if (!m_enabled)
        return FileResult::done();
    const QDateTime now = m_clock();
    return told(append(startBanner(now), now));
}

FileResult SessionLog::writePiece(QStringView piece) {
    if (!m_enabled || piece.isEmpty())
        return FileResult::done();
    return told(append(piece, m_clock()));
}

FileResult SessionLog::flush() {
    if (!m_file.isOpen())
        return FileResult::done();
    const QString path = m_file.fileName();
    if (!m_file.flush())
        return told(failure(path));
    if (QFile::exists(path))
        return told(FileResult::done());
    close();
    return told(open(m_clock()));
}

FileResult SessionLog::append(QStringView text, const QDateTime& now) {
    if (!m_file.isOpen() || now.date() != m_fileDay || m_encoding != m_fileEncoding) {
        const FileResult opened = open(now);
        if (!opened)
            return opened;
    }
    // Text in the code page always fits it; a banner too.
    const QByteArray bytes =
        m_encoding == TextEncoding::Utf8 ? text.toUtf8() : CodePage::encode(text);
    const bool lineEnd = text.contains(u'\n');
    if (m_file.write(bytes) != bytes.size() || (lineEnd && !m_file.flush()))
        return failure(m_file.fileName());
    return FileResult::done();
}

FileResult SessionLog::open(const QDateTime& now) {
    close();
    m_fileDay = now.date();
    m_fileEncoding = m_encoding;
    m_file.setFileName(pathFor(m_fileDay, m_fileEncoding));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return failure(m_file.fileName());
    if (m_fileEncoding == TextEncoding::Utf8 && m_file.size() == 0 &&
        m_file.write("\xEF\xBB\xBF") != 3)
        return failure(m_file.fileName());
    m_flushTimer.start();
    return FileResult::done();
}

void SessionLog::close() {
    m_flushTimer.stop();
    if (m_file.isOpen())
        m_file.close(); // what waits is written first; a failure shows at the next open
}

FileResult SessionLog::failure(const QString& path) {
    close();
    return FileResult::writeFailed(QStringLiteral("Impossibile scrivere nel file di log ") +
                                   QDir::toNativeSeparators(path));
}

FileResult SessionLog::told(FileResult result) {
    if (result.ok())
        m_failing = false;
    else if (!std::exchange(m_failing, true))
        emit failed(result);
    return result;
}
