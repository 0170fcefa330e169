#pragma once
// Whether a TLS connection may go on. The system's check of the server's
// certificate (its authorities, the host name) comes first; a certificate the
// player once accepted for good is recognised by its SHA-256 fingerprint;
// anything else becomes a question for the player. Nothing is ever accepted
// without one of the two. Plain logic: no sockets, no windows.
#include <QByteArray>
#include <QList>
#include <QSslError>
#include <QString>
#include <QStringList>

#include <functional>

enum class CertificateAnswer { GiveUp, AcceptOnce, AcceptAlways };

struct CertificateQuestion {
    QString host;
    quint16 port = 0;
    QStringList reasons;    // why the check failed, in Italian, one per problem
    QByteArray fingerprint; // SHA-256 of the certificate the server showed
    QByteArray remembered;  // the different one accepted before, if any
    bool changed() const { return !remembered.isEmpty(); }

    // The question as shown to the player, in Italian, and its title.
    QString text() const;
    QString title() const;
    // The answers' button labels, in the order of CertificateAnswer after GiveUp:
    // "accept this time", "accept always", "give up".
    static QStringList buttons();
    static CertificateAnswer answerOf(int button); // -1 (closed) and others give up
};

class TlsTrust {
public:
    // Where accepted certificates are kept between sessions; without them
    // nothing is remembered and every unverified certificate asks.
    std::function<QByteArray(const QString& host, quint16 port)> recall;
    std::function<bool(const QString& host, quint16 port, const QByteArray& sha256)> remember;

    enum class Verdict { Trusted, Ask, Refuse };
    // The verdict on a certificate with these errors from the system's check;
    // for Ask, question holds what to ask. A server without a certificate is
    // refused: there is nothing to accept.
    Verdict check(const QString& host, quint16 port, const QList<QSslError>& errors,
                  const QByteArray& fingerprint, CertificateQuestion* question) const;
    // The player's answer: true when the connection goes on. "Always" also
    // remembers the certificate; when that cannot be stored it still goes on
    // this time, and the next connection asks again.
    bool answer(const CertificateQuestion& question, CertificateAnswer answer);

    // One problem of the system's check, in Italian.
    static QString reason(const QSslError& error, const QString& host);

    // Why a secure connection did not come about, in Italian.
    static QString handshakeFailedMessage(const QString& detail);
    static QString handshakeTimedOutMessage();
    static QString refusedMessage();
    static QString closedWhileAskingMessage();
    static QString unsupportedMessage();
};
