#pragma once
// The session's wire format, both ways: bytes from the server become text
// (telnet commands removed and answered, a compressed stream inflated, the
// game's code page decoded) and our text becomes bytes for the server. No
// sockets here: one call per socket read, and what the read did comes back
// as a result, so nothing calls back into the caller in the middle of a read.
#include "protocol/GmcpMessage.h"
#include "protocol/TelnetEvents.h"
#include "protocol/TelnetLayer.h"
#include "protocol/TextCodec.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

class TelnetStream : private TelnetEvents {
public:
    // What one read of the server's bytes amounted to, besides its text.
    struct Read {
        bool echoChanged = false;  // the server's echo differs from before the read
        bool serverEchoes = false; // after the read
        int promptMarks = 0;       // GA / EOR after a prompt
        // The compressed stream cannot be read on: the text holds what came
        // before the fault, and nothing more is read until reset().
        bool broken = false;
        QString error;
        // The server offered an option other than ECHO or asked for the
        // terminal type: a server of today (true from the read in which it
        // first did), from text[todaysServerAt] on.
        bool todaysServer = false;
        qsizetype todaysServerAt = 0;
        // The server's text showed itself UTF-8 without negotiation, from
        // text[utf8At] on (-1: it did not); both directions are UTF-8 now.
        qsizetype utf8At = -1;
        // The character's data that came with the text, in order, each with
        // the number of characters of the read's text before it; messages
        // that cannot be read are left out.
        QList<GmcpAt> gmcp;
    };

    // Bytes for the server (negotiation answers and our text) go to send.
    explicit TelnetStream(std::function<void(QByteArrayView)> send);

    // Appends the read's text (decoded, telnet commands removed; possibly
    // nothing) to text.
    Read read(QByteArrayView bytes, QString& text);
    // Our text for the server in the session's encoding, 0xFF doubled.
    void sendText(QStringView text);

    // Forgets all negotiation, for a new connection with these settings.
    void reset(const TextSettings& settings = {});
    // The end of the stream: a character still cut comes out as U+FFFD.
    QString flush() { return m_codec.flush(); }
    // Display size in characters, told to servers that ask for it; kept
    // across connections.
    void setWindowSize(int cols, int rows) { m_telnet.setWindowSize(cols, rows); }
    bool gmcpEnabled() const { return m_telnet.gmcpEnabled(); }
    // False, and nothing sent, unless the server agreed to option 201.
    bool sendGmcp(QByteArrayView payload) { return m_telnet.sendGmcp(payload); }
    TextEncoding encoding() const { return m_codec.encoding(); }

private:
    void data(QByteArrayView bytes) override;
    void send(QByteArrayView bytes) override { m_send(bytes); }
    void encodingChanged(TextEncoding encoding) override { m_codec.setEncoding(encoding); }
    void todaysServer() override;
    void promptMark() override { ++m_read.promptMarks; }
    void serverEchoChanged(bool on) override { m_read.serverEchoes = on; }
    void error(const QString& why) override;
    void gmcp(QByteArrayView payload) override;

    std::function<void(QByteArrayView)> m_send;
    TelnetLayer m_telnet{*this};
    TextCodec m_codec;
    Read m_read;               // the read being collected
    QString* m_text = nullptr; // and where its text goes
};
