#pragma once
// A real TLS server for tests: stunnel4 in the foreground on a free loopback
// port, passing the decrypted stream on to a loopback server of the test's
// (a ScriptedServer, the practice server, TinyMUX). Its key and self-signed
// certificate are made by the openssl command in a temporary folder, afresh
// whenever the test asks, so a test can also change the certificate.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class TlsTunnel {
public:
    // Empty when stunnel4 and openssl are both installed; otherwise what is
    // missing, for the test's skip message.
    static QString missingTools();

    TlsTunnel() = default;
    ~TlsTunnel();
    TlsTunnel(const TlsTunnel&) = delete;
    TlsTunnel& operator=(const TlsTunnel&) = delete;

    // A new key and a self-signed certificate for host name; with
    // forLoopback it also names 127.0.0.1, so only its signature fails the
    // system's check. On false, error() says why.
    bool makeCertificate(const QString& name = QStringLiteral("localhost"),
                         bool forLoopback = true);
    // Starts stunnel in front of backendPort, on port (0: a free one, or the
    // previous one again after stop()), with the latest certificate (one is
    // made when there is none). True once it accepts connections.
    bool start(quint16 backendPort, quint16 port = 0, int ms = 10000);
    void stop();

    quint16 port() const { return m_port; }
    QByteArray fingerprint() const { return m_fingerprint; } // SHA-256 of the certificate
    QString certificatePath() const;
    QString error() const { return m_error; }

private:
    bool fail(const QString& why);
    bool launch(quint16 backendPort, int ms);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    int m_generation = 0; // certificates made so far
    QByteArray m_fingerprint;
    QString m_error;
};
