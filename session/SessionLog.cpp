#include "session/SessionLog.h"

#include "files/CodePage.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaObject>

SessionLog::SessionLog(QString programFolder)
    : m_folder(std::move(programFolder)), m_clock([] { return QDateTime::currentDateTime(); }) {}

QString SessionLog::pathFor(const QDateTime& now) const {
    return m_folder + QStringLiteral("/Log/") + now.toString(QStringLiteral("dd-MM-yyyy")) +
           QStringLiteral(".txt");
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

void SessionLog::setEnabled(bool ticked) {
    m_enabled = ticked;
    const QDateTime now = m_clock();
    append(ticked ? startBanner(now) : endBanner(), now);
}

void SessionLog::writePiece(QStringView piece) {
    if (m_enabled && !piece.isEmpty())
        append(piece, m_clock());
}

void SessionLog::append(QStringView text, const QDateTime& now) {
    const QString path = pathFor(now);
    QFile file(path);
    const QByteArray bytes = CodePage::encode(text);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Append) &&
                    file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (ok) {
        m_failing = false;
        return;
    }
    if (m_failing)
        return; // told already; the session goes on
    m_failing = true;
    // Shown after the current event: a message box inside the socket's data
    // event would let the next chunk in before this one is finished.
    const QString message =
        QStringLiteral("Impossibile scrivere nel file di log ") + QDir::toNativeSeparators(path);
    if (!QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [message] { msgBox(nullptr, message, Msg::Critical, QStringLiteral("Errore")); },
        Qt::QueuedConnection);
}
