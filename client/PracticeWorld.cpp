#include "client/PracticeWorld.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {
// A server that has not said it listens by then is not coming.
constexpr int kStartTimeoutMs = 5000;
const QByteArray kListening = "In ascolto";
} // namespace

PracticeWorld::PracticeWorld(QObject* parent)
    : QObject(parent), m_program(findProgram(QCoreApplication::applicationDirPath())) {}

PracticeWorld::~PracticeWorld() {
    stop();
}

QString PracticeWorld::findProgram(const QString& clientFolder) {
    const QDir dir(clientFolder);
    for (const QString& candidate : {dir.filePath(QString::fromLatin1(kProgramName)),
                                     dir.filePath(QStringLiteral("../libexec/varendor/") +
                                                  QString::fromLatin1(kProgramName))}) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

bool PracticeWorld::isThisMachine(const QString& host) {
    // The practice server listens on 127.0.0.1 only.
    const QString name = host.trimmed().toLower();
    return name == u"localhost" || name == u"localhost." || name == u"127.0.0.1";
}

bool PracticeWorld::portIsFree(quint16 port) {
    // Trying to listen asks nobody: a server there sees no stray connection.
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, port);
}

bool PracticeWorld::isRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool PracticeWorld::startFor(const QString& host, quint16 port) {
    if (m_starting)
        return true;
    if (m_program.isEmpty() || !isThisMachine(host) || isRunning() || !portIsFree(port))
        return false;
    stop();
    m_problem.clear();
    m_said.clear();
    m_starting = true;
    m_process = new QProcess(this);
    m_process->setProgram(m_program);
    m_process->setArguments({QStringLiteral("--port"), QString::number(port)});
    // Its messages are read as they come, so that no pipe ever fills.
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Ends with the client even when the client cannot end it itself.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    QProcess* process = m_process;
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        const QByteArray said = process->readAllStandardOutput();
        if (process != m_process || !m_starting)
            return;
        m_said += said;
        if (m_said.contains(kListening))
            finishStart({});
    });
    connect(process, &QProcess::finished, this, [this, process](int code) {
        if (process != m_process || !m_starting)
            return;
        m_said += process->readAllStandardOutput();
        const QString said = QString::fromLocal8Bit(m_said).trimmed();
        // Exit code 1: it could not listen, so another server got there first.
        finishStart(code == 1
                        ? QString()
                        : QStringLiteral("Il mondo di prova si è chiuso subito: %1").arg(said));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process == m_process && m_starting && error == QProcess::FailedToStart)
            finishStart(QStringLiteral("Impossibile avviare il mondo di prova %1: %2")
                            .arg(QDir::toNativeSeparators(m_program), process->errorString()));
    });
    QTimer::singleShot(kStartTimeoutMs, process, [this, process] {
        if (process == m_process && m_starting)
            finishStart(QStringLiteral("Il mondo di prova non ha risposto in tempo."));
    });
    m_process->start();
    return true;
}

void PracticeWorld::finishStart(const QString& problem) {
    m_starting = false;
    m_problem = problem;
    emit ready();
}

void PracticeWorld::stop() {
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(2000))
            m_process->kill();
        m_process->waitForFinished(1000);
    }
    delete m_process;
    m_process = nullptr;
    m_starting = false;
}
