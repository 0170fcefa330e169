#pragma once
// Everything the server sends, from the socket's bytes to the display, and
// the client's own text on the way back. One object owns the whole path:
//
//   bytes -> TelnetStream (telnet, decoding) -> chunks of at most kChunkSize
//         -> LineBreaks (pairs marked, a trailing break held)
//         -> echo negotiation removed -> ColourRenderer (display, log)
//         -> farewell phrase, triggers -> line filter -> trim to kMaxDisplayLines
//
// With an active LineFilter (the player's scripts) the renderer writes into a
// LineHold: complete lines reach the display after the triggers of their read
// have fired, through the filter; text without a line end waits until the
// server marks it a prompt (GA, EOR), the caller says it has waited long
// enough (releasePrompt), or own text is written.
//
// The farewell phrase ends the session here (what was held back is written,
// then the disconnect notice); triggers of the same chunk still echo but send
// nothing. What a read did comes back as an Outcome: the caller closes the
// socket, masks the input line and so on, after the read is fully handled.
//
// Own text (command echoes, notices) goes through ownText(), which first
// writes a line break still held from the server, so an echo never lands on
// the end of the server's last line.
#include "protocol/ColourRenderer.h"
#include "protocol/LineBreaks.h"
#include "protocol/LineHold.h"
#include "protocol/TelnetStream.h"
#include "protocol/TriggerMatcher.h"
#include "ui/DisplaySink.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct PairTable;

class TextPath {
public:
    static constexpr int kMaxDisplayLines = 500;
    // Most characters handled as one chunk: one socket read, or a part of a
    // read that inflated to more.
    static constexpr qsizetype kChunkSize = 2048;
    static inline const QString kFarewell = QStringLiteral("Adde parvum parvo magnus acervus erit");
    static inline const QString kDisconnectNotice =
        QStringLiteral("\r\n\r\nDisconnesso da Varendor");
    // Shown once when the server's text turns out to be UTF-8.
    static inline const QString kUtf8Notice = QStringLiteral(
        "[Il server scrive in UTF-8: da ora il testo si legge e si invia in UTF-8.]");

    // What the telnet stream found in the read (the server's echo, prompt
    // marks; when broken, the connection should be dropped: the text before
    // the fault was shown), and what the text did.
    struct Outcome : TelnetStream::Read {
        bool farewell = false; // the server's farewell phrase ended the session
        QStringList replies;   // commands the triggers answered with, in order
        // The window title the server named last in this read, if any.
        std::optional<QString> title;
    };

    TextPath(DisplaySink& display, PairTable& triggers);
    TextPath(const TextPath&) = delete;
    TextPath& operator=(const TextPath&) = delete;

    // Bytes for the server: negotiation answers, trigger replies, sendCommand.
    void setSendHook(std::function<void(QByteArrayView)> send) { m_send = std::move(send); }
    // Every piece of server text as it is written into the display.
    void setLogHook(std::function<void(QStringView)> log);
    // What the player's scripts make of each line; null for none.
    void setLineFilter(LineFilter* filter) { m_hold.setFilter(filter); }
    // Text held without a line end, waiting to be shown as a prompt.
    bool holdsPrompt() const { return m_hold.holding(); }
    // Shows it now, handed to the filter as a prompt.
    void releasePrompt();

    // A new connection: negotiation, held text and held breaks forgotten.
    // The settings say which encodings the server may choose, whether the
    // connection is encrypted, and which colour rules apply (automatic: the
    // game's classic rules until the server shows itself a server of today
    // by offering any option but ECHO or asking for the terminal type).
    void beginSession(const TextSettings& settings = {});
    // One socket read.
    Outcome receive(QByteArrayView bytes);
    // One read's text, already decoded and free of telnet commands.
    Outcome receiveText(QStringView text);
    // The connection ends: what the server sent before a sequence it cut
    // off is written, then the disconnect notice. Once per session.
    void endSession();
    bool sessionOpen() const { return m_open; }

    // A command for the server, in the session's encoding; nothing once the
    // session has ended.
    void sendCommand(QStringView text);
    // A reply as the triggers send it: shown in the server's colour, then
    // sent; shown but not sent once the session has ended.
    void sendReply(const QString& command);
    // The server agreed to send the character's data beside the text.
    bool gmcpEnabled() const { return m_open && m_stream.gmcpEnabled(); }
    // A message for the server; false, and nothing sent, unless gmcpEnabled().
    bool sendGmcp(QStringView package, const QJsonValue& data = QJsonValue(QJsonValue::Undefined));
    // Where the client writes its own text into the display.
    DisplaySink& ownText() { return m_own; }

    // The colour server text is written in (`CurrentColor`).
    QRgb currentColour() const { return m_renderer.colours().current(); }
    const SgrColours& colours() const { return m_renderer.colours(); }
    void setCurrentColour(QRgb colour) { m_renderer.colours().setCurrent(colour); }

    TextEncoding encoding() const { return m_stream.encoding(); }
    SgrColours::Rules colourRules() const { return m_renderer.colours().rules(); }
    void setWindowSize(int cols, int rows) { m_stream.setWindowSize(cols, rows); }

    // Removes every FF FB 01, then every FF FC 01, then every 01 20 5B.
    static QString removeEchoNegotiation(const QString& text);

    // For tests and fault reports: what waits for the next read.
    QStringView heldBreak() const { return m_breaks.held(); }
    QStringView keptText() const { return m_renderer.kept(); }

private:
    // Own text: a held break is written before it.
    class OwnText : public DisplaySink {
    public:
        explicit OwnText(TextPath& path) : m_path(path) {}
        void setSelColor(QRgb colour) override;
        void setSelBold(bool bold) override;
        void insertText(QStringView text) override;
        int lastLine() const override;
        void removeLeadingLines(int n) override;

    private:
        TextPath& m_path;
        QRgb m_colour = qRgb(255, 255, 255);
        bool m_bold = false;
    };

    void processChunk(QStringView chunk, Outcome& outcome);
    void fireTriggers(QStringView written, Outcome& outcome);
    void releaseHeldBreak();
    void writeNotice();
    void endNoticeLine();
    void writeUtf8Notice();
    void trim();

    DisplaySink& m_display;
    PairTable& m_triggers;
    std::function<void(QByteArrayView)> m_send;
    TelnetStream m_stream;
    LineBreaks m_breaks;
    LineHold m_hold;
    ColourRenderer m_renderer;
    TriggerMatcher m_matcher;
    OwnText m_own{*this};
    QString m_work;     // the chunk being handled, breaks marked
    QString m_readText; // the text of the last read, its room reused
    bool m_open = true;
    bool m_noticeOpen = false; // the notice's line still waits for its end
    bool m_atLineStart = true; // the server's last text ended its line
    ColourRules m_colourChoice = ColourRules::Automatic;
};
