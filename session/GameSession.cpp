#include "session/GameSession.h"

#include <QAccessible>

namespace {
const QString kBrokenStream =
    QStringLiteral("\r\nI dati ricevuti dal server non sono più leggibili (%1): la connessione "
                   "viene chiusa.");
} // namespace

GameSession::GameSession(DisplaySink& display, PairTable& triggers, const QString& programFolder,
                         QObject* parent)
    : QObject(parent), m_connection(this), m_path(display, triggers), m_log(programFolder) {
    m_connection.setObjectName(QStringLiteral("Socket1"));
    m_path.setSendHook([this](QByteArrayView bytes) { m_connection.write(bytes); });
    m_path.setLogHook([this](QStringView piece) { logPiece(piece); });
    connect(&m_connection, &Connection::received, this, &GameSession::onReceived);
    connect(&m_connection, &Connection::connectFailed, this, &GameSession::onFailed);
    connect(&m_connection, &Connection::connectionLost, this, &GameSession::onLost);
    m_promptWait.setSingleShot(true);
    m_promptWait.setInterval(kPromptWaitMs);
    connect(&m_promptWait, &QTimer::timeout, this, [this] { m_path.releasePrompt(); });
}

bool GameSession::open(const QString& host, quint16 port) {
    ServerSettings server;
    server.host = host;
    server.port = port;
    return open(server);
}

namespace {

TextSettings textSettings(const ServerSettings& server) {
    TextSettings text;
    text.encoding = server.codifica == Codifica::Cp1252 ? EncodingChoice::Cp1252
                    : server.codifica == Codifica::Utf8 ? EncodingChoice::Utf8
                                                        : EncodingChoice::Auto;
    text.tls = server.tls;
    text.gmcp = server.gmcp;
    text.colours = server.colori == Colori::Classico ? ColourRules::Classic
                   : server.colori == Colori::Ansi   ? ColourRules::Terminal
                                                     : ColourRules::Automatic;
    text.screenReader = server.lettore;
    text.screenReaderActive = [] { return QAccessible::isActive(); };
    return text;
}

} // namespace

bool GameSession::open(const ServerSettings& server) {
    if (!m_connection.connectToServer(server.host, server.port, server.tls))
        return false;
    m_path.beginSession(textSettings(server));
    setEcho(false);
    setOpen(true);
    return true;
}

void GameSession::close() {
    m_connection.close();
    m_path.endSession();
    writeLog();
    setOpen(false);
    setEcho(false);
}

FileResult GameSession::setLogging(bool on) {
    writeLog();
    const FileResult banner = m_log.setEncoding(m_path.encoding());
    const FileResult switched = m_log.setEnabled(on);
    return banner.ok() ? switched : banner;
}

void GameSession::onReceived(const QByteArray& bytes) {
    const TextPath::Outcome outcome = m_path.receive(bytes);
    writeLog();
    if (outcome.farewell) {
        // The text path has already shown the end of the session.
        m_connection.close();
        setOpen(false);
    } else if (outcome.broken) {
        tellBrokenStream(outcome.error);
        m_connection.abandon(); // reported as lost: the notice follows
    }
    setEcho(outcome.serverEchoes);
    if (outcome.title)
        emit titleNamed(*outcome.title);
    if (m_path.holdsPrompt())
        m_promptWait.start();
    for (const GmcpAt& g : outcome.gmcp)
        emit gmcpReceived(g.message);
}

bool GameSession::sendGmcp(QStringView package, const QJsonValue& data) {
    return gmcpEnabled() && m_path.sendGmcp(package, data);
}

void GameSession::onFailed(const QString& reason) {
    m_connection.close();
    setOpen(false);
    setEcho(false);
    emit openFailed(reason);
}

void GameSession::onLost() {
    if (m_open)
        close();
}

void GameSession::setOpen(bool open) {
    if (open == m_open)
        return;
    m_open = open;
    emit openChanged(open);
}

void GameSession::tellBrokenStream(const QString& error) {
    // Before the disconnect notice, in the display and in the log.
    const QString text = kBrokenStream.arg(error);
    DisplaySink& own = m_path.ownText();
    own.setSelColor(qRgb(255, 255, 255));
    own.insertText(text);
    writeLog();
    m_log.writePiece(text);
}

void GameSession::logPiece(QStringView piece) {
    const TextEncoding encoding = m_path.encoding();
    if (encoding != m_log.encoding()) {
        // What came before the switch goes to the file of its own encoding.
        writeLog();
        m_log.setEncoding(encoding);
    }
    if (m_log.isEnabled())
        m_logPending.append(piece);
}

void GameSession::writeLog() {
    if (m_logPending.isEmpty())
        return;
    m_log.writePiece(m_logPending);
    m_logPending.resize(0);
}

void GameSession::setEcho(bool on) {
    const bool echo = m_open && on;
    if (echo == m_echo)
        return;
    m_echo = echo;
    emit serverEchoChanged(echo);
}
