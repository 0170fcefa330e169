#pragma once
// Text of the session in the encoding the server speaks: Windows-1252 (the
// game's own code page, one byte per character) or UTF-8. Decoding is
// streaming: a UTF-8 character cut between two reads is joined, and a byte
// sequence that is no character becomes one U+FFFD without taking anything
// after it with it.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <utility>

enum class TextEncoding { Cp1252, Utf8 };

class TextCodec {
public:
    explicit TextCodec(TextEncoding encoding = TextEncoding::Cp1252) : m_encoding(encoding) {}

    TextEncoding encoding() const { return m_encoding; }

    // Applies to the bytes and text that follow. A UTF-8 character still cut
    // can never be completed now: it comes out as U+FFFD at the start of the
    // next decode() (or flush()).
    void setEncoding(TextEncoding encoding);

    // The text of the next bytes of the stream; may be empty when they only
    // begin a character.
    QString decode(QByteArrayView bytes);
    // The same, appended to out (whose capacity is reused).
    void decode(QByteArrayView bytes, QString& out);
    // End of the stream: a character still cut comes out as U+FFFD.
    QString flush();
    // A new stream in the given encoding; a cut character is dropped.
    void reset(TextEncoding encoding);

    // While Windows-1252 is read, watch for a server that sends UTF-8 without
    // saying so: the first well-formed multi-byte UTF-8 sequence, with no
    // byte before it that UTF-8 cannot hold, switches to UTF-8 for good (from
    // that sequence on); a byte UTF-8 cannot hold ends the watch. The game's
    // own text (an accented letter, then ASCII) never switches. A sequence
    // cut by the end of a read waits for the next one, so where reads end
    // changes nothing. setEncoding() ends the watch.
    void setWatchForUtf8(bool watch);
    bool watchingForUtf8() const { return m_watch; }
    // Where in the text of the decode() calls since the last take UTF-8 was
    // found (an index into that call's out), or -1; taken once.
    qsizetype takeUtf8Found() { return std::exchange(m_utf8Found, -1); }

    // Text for the server. Windows-1252 writes '?' for what it cannot hold;
    // UTF-8 writes U+FFFD for a lone surrogate.
    QByteArray encode(QStringView text) const;

    static QString decodeUtf8(QByteArrayView bytes); // one whole piece, no state
    static const char* name(TextEncoding encoding);  // "WINDOWS-1252", "UTF-8"

private:
    void decodeUtf8Stream(QByteArrayView bytes, QString& out);
    void decodeWatching(QByteArrayView bytes, QString& out);

    TextEncoding m_encoding;
    unsigned char m_cut[4] = {}; // the first bytes of a cut UTF-8 character
    int m_cutSize = 0;
    bool m_brokenCut = false; // a cut character was abandoned by setEncoding
    bool m_watch = false;     // watching Windows-1252 text for UTF-8
    QString m_pending;        // held bytes judged Windows-1252, for the next text
    qsizetype m_utf8Found = -1;
};
