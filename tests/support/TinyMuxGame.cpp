#include "support/TinyMuxGame.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// A port nobody listens on right now. Another program may take it before the
// server binds it; launch() then fails and start() tries another.
quint16 freePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool accepts(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    const bool ok = s.waitForConnected(200);
    s.abort();
    return ok;
}

} // namespace

bool TinyMuxGame::installed() {
    return QFileInfo(QString::fromLatin1(kInstaller)).isExecutable();
}

TinyMuxGame::~TinyMuxGame() {
    stop();
}

bool TinyMuxGame::fail(const QString& why) {
    m_error = why;
    return false;
}

QByteArray TinyMuxGame::output() {
    if (m_process.state() != QProcess::NotRunning)
        m_output += m_process.readAll();
    return m_output;
}

bool TinyMuxGame::start(int ms) {
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (!install())
        return false;
    // A port taken between the probe and the bind makes the server exit at once.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freePort();
        if (!m_port)
            return fail(QStringLiteral("no free loopback port"));
        if (!configure())
            return false;
        if (launch(ms))
            return true;
        stop();
    }
    return false;
}

bool TinyMuxGame::install() {
    QProcess installer;
    installer.setWorkingDirectory(m_dir.path());
    installer.setProcessChannelMode(QProcess::MergedChannels);
    installer.start(QString::fromLatin1(kInstaller), {});
    if (!installer.waitForFinished(30000) || installer.exitCode() != 0)
        return fail(QStringLiteral("installer failed: ") +
                    QString::fromLocal8Bit(installer.readAll()));
    m_game = m_dir.filePath(QStringLiteral("tinymux/game"));
    if (!QFileInfo::exists(m_game + QStringLiteral("/bin/netmux")))
        return fail(QStringLiteral("installer made no tinymux/game/bin/netmux"));
    return true;
}

// Rewrites the port line and binds the server to loopback only.
bool TinyMuxGame::configure() {
    if (!m_port)
        return true;
    QFile conf(m_game + QStringLiteral("/netmux.conf"));
    if (!conf.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("netmux.conf missing"));
    QByteArray out;
    for (const QByteArray& line : conf.readAll().split('\n')) {
        if (line.startsWith("port ") || line.startsWith("ip_address "))
            continue;
        if (!line.isEmpty())
            out += line + '\n';
    }
    conf.close();
    out += "port " + QByteArray::number(m_port) + "\nip_address 127.0.0.1\n";
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate) || conf.write(out) != out.size())
        return fail(QStringLiteral("netmux.conf not writable"));
    return true;
}

bool TinyMuxGame::launch(int ms) {
    m_output.clear();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), m_game + QStringLiteral("/bin"));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_game);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(m_game + QStringLiteral("/bin/netmux"),
                    {QStringLiteral("-c"), QStringLiteral("netmux.conf"), QStringLiteral("-p"),
                     QStringLiteral("netmux.pid"), QStringLiteral("-e"), QStringLiteral("-")});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("netmux did not start: ") + m_process.errorString());
    const bool up = QTest::qWaitFor(
        [this] { return m_process.state() != QProcess::Running || accepts(m_port); }, ms);
    if (up && m_process.state() == QProcess::Running)
        return true;
    return fail(QStringLiteral("netmux is not listening on port %1; it said:\n%2")
                    .arg(m_port)
                    .arg(QString::fromLocal8Bit(output())));
}

bool TinyMuxGame::stop(int ms) {
    if (m_process.state() == QProcess::NotRunning)
        return true;
    output();
    m_process.terminate(); // SIGTERM to its pid: the server saves and exits
    if (m_process.waitForFinished(ms))
        return true;
    m_process.kill();
    m_process.waitForFinished(ms);
    return false;
}
