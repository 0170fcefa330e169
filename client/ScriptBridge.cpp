#include "client/ScriptBridge.h"

#include "commands/CommandLine.h"
#include "display/GaugeBar.h"
#include "session/GameSession.h"

ScriptBridge::ScriptBridge(const QString& scriptFolder, const QString& configPath,
                           GameSession& session, PairTable& aliases, QObject* parent)
    : QObject(parent), m_session(session), m_aliases(aliases),
      m_engine(*this, scriptFolder, ScriptEngine::limitsFromConfig(configPath)) {
    session.textPath().setLineFilter(&m_engine);
    connect(&session, &GameSession::openChanged, this,
            [this](bool open) { open ? m_engine.connected() : m_engine.disconnected(); });
}

ScriptBridge::~ScriptBridge() {
    m_session.textPath().setLineFilter(nullptr);
}

void ScriptBridge::sendCommand(const QString& text, Send how) {
    TextPath& path = m_session.textPath();
    switch (how) {
    case Send::Reply:
        path.sendReply(text + QStringLiteral("\r\n"));
        return;
    case Send::Typed:
        if (m_engine.filterInput(text))
            return;
        [[fallthrough]];
    case Send::Raw: {
        // Shown and sent as the input line shows and sends what is typed.
        const QString line = how == Send::Raw ? text + QStringLiteral("\r\n")
                                              : CommandLine::lineToSend(text, &m_aliases);
        DisplaySink& own = path.ownText();
        own.setSelColor(EchoGrey);
        own.insertText(line);
        own.setSelColor(path.currentColour());
        m_session.sendCommand(line);
        return;
    }
    }
}

void ScriptBridge::showLine(const QString& text, QRgb colour) {
    TextPath& path = m_session.textPath();
    DisplaySink& own = path.ownText();
    own.setSelColor(colour);
    own.insertText(text + QStringLiteral("\r\n"));
    own.setSelColor(path.currentColour());
}

bool ScriptBridge::sendGmcp(const QString& package, const QJsonValue& data) {
    return m_session.sendGmcp(package, data);
}

bool ScriptBridge::setGauge(const QString& name, qint64 current, qint64 max,
                            std::optional<QRgb> colour) {
    return m_gauges &&
           m_gauges->setGauge(name, current, max, colour ? QColor::fromRgb(*colour) : QColor());
}
