#include "session/NoAnswer.h"

QString noAnswerLine(QAbstractSocket::SocketError error, bool timedOut, const QString& host,
                     quint16 port, const QString& detail) {
    const QString where = QStringLiteral("%1 porta %2").arg(host).arg(port);
    if (timedOut || error == QAbstractSocket::SocketTimeoutError)
        return QStringLiteral("Nessuna risposta in tempo da %1.").arg(where);
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("Connessione rifiutata da %1: lì non c'è un server in ascolto.")
            .arg(where);
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("Host non trovato: %1 (porta %2). Controllare il nome del server.")
            .arg(host)
            .arg(port);
    case QAbstractSocket::NetworkError:
        return QStringLiteral("Rete non raggiungibile verso %1.").arg(where);
    default:
        break;
    }
    return detail.isEmpty()
               ? QStringLiteral("Collegamento a %1 non riuscito.").arg(where)
               : QStringLiteral("Collegamento a %1 non riuscito: %2.").arg(where, detail);
}
