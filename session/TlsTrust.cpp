#include "session/TlsTrust.h"

#include "automation/ServerSettings.h"

#include <QDateTime>
#include <QSslCertificate>

namespace {
QString server(const QString& host, quint16 port) {
    return host + u':' + QString::number(port);
}
} // namespace

QString CertificateQuestion::title() const {
    return changed() ? QStringLiteral("Certificato cambiato")
                     : QStringLiteral("Certificato non verificato");
}

QString CertificateQuestion::text() const {
    QString t;
    if (changed()) {
        t += QStringLiteral("ATTENZIONE: il certificato di %1 è cambiato rispetto a quello che "
                            "avevi accettato per sempre.\nPuò essere un rinnovo fatto dal gioco, "
                            "ma anche qualcuno che si finge il server per leggere ciò che "
                            "scrivi, parole d'ordine comprese.\n\n")
                 .arg(server(host, port));
    } else {
        t += QStringLiteral("Il server %1 si presenta con un certificato che il sistema non "
                            "riesce a verificare.\n\n")
                 .arg(server(host, port));
    }
    t += QStringLiteral("Motivi:\n");
    for (const QString& r : reasons)
        t += QStringLiteral("  • ") + r + u'\n';
    t += QStringLiteral("\nImpronta SHA-256 del certificato:\n") + fingerprintText(fingerprint) +
         u'\n';
    if (changed())
        t += QStringLiteral("Impronta accettata in precedenza:\n") + fingerprintText(remembered) +
             u'\n';
    t += QStringLiteral("\nProsegui solo se sai che questa impronta è davvero quella del server.");
    return t;
}

QStringList CertificateQuestion::buttons() {
    return {QStringLiteral("Accetta questa volta"), QStringLiteral("Accetta sempre"),
            QStringLiteral("Rinuncia")};
}

CertificateAnswer CertificateQuestion::answerOf(int button) {
    switch (button) {
    case 0:
        return CertificateAnswer::AcceptOnce;
    case 1:
        return CertificateAnswer::AcceptAlways;
    default:
        return CertificateAnswer::GiveUp;
    }
}

TlsTrust::Verdict TlsTrust::check(const QString& host, quint16 port, const QList<QSslError>& errors,
                                  const QByteArray& fingerprint,
                                  CertificateQuestion* question) const {
    if (fingerprint.isEmpty())
        return Verdict::Refuse;
    if (errors.isEmpty())
        return Verdict::Trusted;
    const QByteArray remembered = recall ? recall(host, port) : QByteArray();
    if (!remembered.isEmpty() && remembered == fingerprint)
        return Verdict::Trusted;
    if (question) {
        *question = CertificateQuestion();
        question->host = host;
        question->port = port;
        question->fingerprint = fingerprint;
        question->remembered = remembered;
        for (const QSslError& e : errors) {
            const QString r = reason(e, host);
            if (!question->reasons.contains(r))
                question->reasons << r;
        }
    }
    return Verdict::Ask;
}

bool TlsTrust::answer(const CertificateQuestion& question, CertificateAnswer answer) {
    if (answer == CertificateAnswer::GiveUp)
        return false;
    if (answer == CertificateAnswer::AcceptAlways && remember)
        remember(question.host, question.port, question.fingerprint);
    return true;
}

QString TlsTrust::reason(const QSslError& error, const QString& host) {
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
        return QStringLiteral("il certificato è autofirmato: nessuna autorità lo garantisce");
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
        return QStringLiteral("il certificato non è garantito da un'autorità riconosciuta dal "
                              "sistema");
    case QSslError::HostNameMismatch:
        return QStringLiteral("il certificato non è intestato a «%1»").arg(host);
    case QSslError::CertificateExpired:
        return QStringLiteral("il certificato è scaduto il %1")
            .arg(error.certificate().expiryDate().toLocalTime().toString(
                QStringLiteral("dd/MM/yyyy")));
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("il certificato non è ancora valido");
    case QSslError::CertificateRevoked:
        return QStringLiteral("il certificato è stato revocato");
    case QSslError::InvalidPurpose:
        return QStringLiteral("il certificato non è fatto per un server");
    default:
        return QStringLiteral("il certificato non ha superato la verifica (%1)")
            .arg(error.errorString());
    }
}

QString TlsTrust::handshakeFailedMessage(const QString& detail) {
    QString m = QStringLiteral("Connessione sicura (TLS) non riuscita: il server non ha risposto "
                               "come un server TLS.\nControlla che su questa porta ci sia TLS, "
                               "oppure togli TLS=1 dalla sezione [SERVER] di config.ini.");
    if (!detail.isEmpty())
        m += QStringLiteral("\n\nDettagli tecnici: ") + detail;
    return m;
}

QString TlsTrust::handshakeTimedOutMessage() {
    return QStringLiteral("Connessione sicura (TLS) non riuscita: il server non ha completato "
                          "la negoziazione in tempo.\nForse su questa porta non c'è TLS.");
}

QString TlsTrust::refusedMessage() {
    return QStringLiteral("Connessione annullata: il certificato del server non è stato "
                          "accettato.");
}

QString TlsTrust::closedWhileAskingMessage() {
    return QStringLiteral("Il server ha chiuso la connessione prima della risposta sul "
                          "certificato.");
}

QString TlsTrust::unsupportedMessage() {
    return QStringLiteral("Connessione sicura (TLS) non disponibile: manca la libreria OpenSSL "
                          "sul sistema.");
}
