#include "protocol/TelnetStream.h"

#include <utility>

TelnetStream::TelnetStream(std::function<void(QByteArrayView)> send) {
    m_telnet.onSend = std::move(send);
    m_telnet.onData = [this](QByteArrayView bytes) {
        if (!m_text)
            return;
        m_codec.decode(bytes, *m_text);
        const qsizetype utf8At = m_codec.takeUtf8Found();
        if (utf8At >= 0 && m_read)
            m_read->utf8At = utf8At;
    };
    // Delivered in order with the data: the bytes before it are decoded
    // already, those after it in the new encoding.
    m_telnet.onEncodingChanged = [this](TextEncoding encoding) { m_codec.setEncoding(encoding); };
    m_telnet.onModernServer = [this] {
        if (m_read) {
            m_read->todaysServer = true;
            m_read->todaysServerAt = m_text ? m_text->size() : 0;
        }
    };
    m_telnet.onPromptMark = [this] {
        if (m_read)
            ++m_read->promptMarks;
    };
    m_telnet.onError = [this](const QString& why) {
        if (m_read) {
            m_read->broken = true;
            m_read->error = why;
        }
    };
}

TelnetStream::Read TelnetStream::read(QByteArrayView bytes, QString& text) {
    Read result;
    const bool echoed = m_telnet.serverEchoes();
    m_read = &result;
    m_text = &text;
    m_telnet.feed(bytes);
    m_read = nullptr;
    m_text = nullptr;
    result.echoChanged = m_telnet.serverEchoes() != echoed;
    return result;
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
