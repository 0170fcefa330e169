#pragma once
// One game session: the connection to the server and the text path, and the
// one record of whether the program counts itself connected. It is connected
// from the moment a request is issued until the player disconnects, the
// server says its farewell phrase, the connection fails or is lost; every
// window element that shows the state follows openChanged().
//
// It also keeps the daily log of what the server's text showed.
#include "automation/ServerSettings.h"
#include "protocol/GmcpMessage.h"
#include "protocol/TextPath.h"
#include "session/Connection.h"
#include "session/SessionLog.h"

#include <QObject>
#include <QTimer>

class GameSession : public QObject {
    Q_OBJECT
public:
    // How long text without a line end waits before it counts as a prompt
    // (only while the player's scripts hold lines).
    static constexpr int kPromptWaitMs = 150;

    // The daily log goes to the Log folder of programFolder.
    GameSession(DisplaySink& display, PairTable& triggers, const QString& programFolder = {},
                QObject* parent = nullptr);

    TextPath& textPath() { return m_path; }
    Connection& connection() { return m_connection; }
    SessionLog& log() { return m_log; }
    // The log switch; the log follows the encoding of the server's text.
    FileResult setLogging(bool on);

    // Issues the connection request; false when it cannot even be issued
    // (no host, port 0), and nothing changes.
    bool open(const ServerSettings& server);
    bool open(const QString& host, quint16 port);
    // Closes the connection and shows the disconnect notice.
    void close();
    bool isOpen() const { return m_open; }
    // The server echoes what the player types (a password prompt).
    bool serverEchoes() const { return m_echo; }

    // A command for the server; nothing when not connected.
    void sendCommand(QStringView text) { m_path.sendCommand(text); }
    // The server agreed to exchange the character's data beside the text.
    bool gmcpEnabled() const { return m_open && m_path.gmcpEnabled(); }
    // A message for the server; false, and nothing sent, unless gmcpEnabled().
    bool sendGmcp(QStringView package, const QJsonValue& data = QJsonValue(QJsonValue::Undefined));

signals:
    void openChanged(bool open);
    // The request went out but no connection came of it; reason says why in
    // Italian when a secure connection failed, and is empty when no server
    // answered at all.
    void openFailed(const QString& reason);
    void serverEchoChanged(bool on);
    // The server named the window (empty: no name of its own).
    void titleNamed(const QString& title);
    // One message of the character's data, in the order the server sent
    // them, after the text of the same read is shown.
    void gmcpReceived(const GmcpMessage& message);

private:
    void onReceived(const QByteArray& bytes);
    void onFailed(const QString& reason);
    void onLost();
    void setOpen(bool open);
    void setEcho(bool on);
    void tellBrokenStream(const QString& error);
    void logPiece(QStringView piece);
    void writeLog();

    Connection m_connection;
    TextPath m_path;
    SessionLog m_log;
    // The log's share of the text being read, written in one go once the
    // read is shown (one clock reading, one write, not one per piece).
    QString m_logPending;
    // Text left without a line end and nothing more for a moment: a prompt.
    QTimer m_promptWait;
    bool m_open = false;
    bool m_echo = false; // what serverEchoChanged last said
};
