#pragma once
// Why a connection request got no answer, told in one Italian line that
// also names the host and port tried, so that a player knows what to fix.
#include <QAbstractSocket>
#include <QString>

// error: the socket's error; timedOut: nothing came back in the time
// allowed; detail: the socket's own description, for the other errors.
QString noAnswerLine(QAbstractSocket::SocketError error, bool timedOut, const QString& host,
                     quint16 port, const QString& detail);
