#include "support/TlsTunnel.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

namespace {
const QString kStunnel = QStringLiteral("stunnel4");
const QString kOpenssl = QStringLiteral("openssl");

quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
} // namespace

QString TlsTunnel::missingTools() {
    QStringList missing;
    for (const QString& tool : {kStunnel, kOpenssl})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    if (missing.isEmpty())
        return {};
    return missing.join(QStringLiteral(" and ")) +
           QStringLiteral(" not installed: the TLS tests are skipped; apt-get install stunnel4 "
                          "openssl (or tools/setup-deps.sh) enables them");
}

TlsTunnel::~TlsTunnel() {
    stop();
}

bool TlsTunnel::fail(const QString& why) {
    m_error = why;
    return false;
}

bool TlsTunnel::makeCertificate(const QString& name, bool forLoopback) {
    if (!m_dir.isValid())
        return fail(QStringLiteral("no temporary folder"));
    ++m_generation;
    const QString key = m_dir.filePath(QStringLiteral("key%1.pem").arg(m_generation));
    const QString cert = m_dir.filePath(QStringLiteral("cert%1.pem").arg(m_generation));
    QString names = QStringLiteral("subjectAltName=DNS:") + name;
    if (forLoopback)
        names += QStringLiteral(",IP:127.0.0.1");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    // An elliptic-curve key takes milliseconds where RSA takes a second.
    openssl.start(kOpenssl, {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                             "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key, "-out", cert,
                             "-days", "2", "-subj", "/CN=" + name, "-addext", names});
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0)
        return fail(QStringLiteral("openssl failed: ") + QString::fromLocal8Bit(openssl.readAll()));
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(cert);
    if (certs.isEmpty())
        return fail(QStringLiteral("openssl made no readable certificate"));
    m_fingerprint = certs.first().digest(QCryptographicHash::Sha256);
    return true;
}

QString TlsTunnel::certificatePath() const {
    return m_dir.filePath(QStringLiteral("cert%1.pem").arg(m_generation));
}

bool TlsTunnel::start(quint16 backendPort, quint16 port, int ms) {
    if (m_generation == 0 && !makeCertificate())
        return false;
    stop();
    // A free port can be taken before stunnel binds it: then another one.
    for (int attempt = 0; attempt < (port ? 1 : 3); ++attempt) {
        m_port = port ? port : freePort();
        if (launch(backendPort, ms))
            return true;
        stop();
    }
    return false;
}

bool TlsTunnel::launch(quint16 backendPort, int ms) {
    const QString conf = m_dir.filePath(QStringLiteral("stunnel.conf"));
    QFile file(conf);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("stunnel.conf not writable"));
    file.write(
        QStringLiteral("foreground = yes\npid =\ndebug = 6\n"
                       "[game]\naccept = 127.0.0.1:%1\nconnect = 127.0.0.1:%2\n"
                       "cert = %3\nkey = %4\nTIMEOUTclose = 0\n")
            .arg(m_port)
            .arg(backendPort)
            .arg(certificatePath(), m_dir.filePath(QStringLiteral("key%1.pem").arg(m_generation)))
            .toUtf8());
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(kStunnel, {conf});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("stunnel4 did not start: ") + m_process.errorString());
    QByteArray log;
    const bool up = QTest::qWaitFor(
        [&] {
            log += m_process.readAll();
            return log.contains("Accepting new connections") ||
                   m_process.state() != QProcess::Running;
        },
        ms);
    if (up && m_process.state() == QProcess::Running)
        return true;
    return fail(QStringLiteral("stunnel4 is not accepting on port %1; it said:\n%2")
                    .arg(m_port)
                    .arg(QString::fromLocal8Bit(log)));
}

void TlsTunnel::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate(); // SIGTERM to its pid
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
