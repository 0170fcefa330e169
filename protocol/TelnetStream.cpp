#include "protocol/TelnetStream.h"

#include <utility>

TelnetStream::TelnetStream(std::function<void(QByteArrayView)> send) : m_send(std::move(send)) {}

TelnetStream::Read TelnetStream::read(QByteArrayView bytes, QString& text) {
    m_read = Read{};
    const bool echoed = m_telnet.serverEchoes();
    m_read.serverEchoes = echoed;
    m_text = &text;
    m_telnet.feed(bytes);
    m_text = nullptr;
    m_read.echoChanged = m_read.serverEchoes != echoed;
    return std::exchange(m_read, Read{});
}

void TelnetStream::data(QByteArrayView bytes) {
    if (!m_text)
        return;
    m_codec.decode(bytes, *m_text);
    const qsizetype utf8At = m_codec.takeUtf8Found();
    if (utf8At >= 0)
        m_read.utf8At = utf8At;
}

void TelnetStream::todaysServer() {
    m_read.todaysServer = true;
    m_read.todaysServerAt = m_text ? m_text->size() : 0;
}

void TelnetStream::gmcp(QByteArrayView payload) {
    if (std::optional<GmcpMessage> message = GmcpMessage::parse(payload))
        m_read.gmcp.append({m_text ? m_text->size() : 0, std::move(*message)});
}

void TelnetStream::error(const QString& why) {
    m_read.broken = true;
    m_read.error = why;
}

void TelnetStream::sendText(QStringView text) {
    if (!text.isEmpty())
        m_telnet.send(m_codec.encode(text));
}

void TelnetStream::reset(const TextSettings& settings) {
    m_telnet.setSettings(settings);
    m_codec.reset(m_telnet.encoding());
    m_codec.setWatchForUtf8(settings.encoding == EncodingChoice::Auto);
}
