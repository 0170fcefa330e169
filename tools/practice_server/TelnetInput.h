#pragma once
// Turns the bytes a player's client sends into command lines: telnet
// commands are dropped, CR LF, LF CR, CR NUL and lone CR or LF each end one
// line, backspaces edit, other control characters vanish, and an overlong
// line is cut and marked. The one negotiation the server follows is the
// character set (RFC 2066): lines are read as UTF-8 from the byte after the
// client's ACCEPTED UTF-8, as Windows-1252 before. It also notes whether the
// client agreed to the character's data beside the text (option 201).
#include <QByteArray>
#include <QList>
#include <QString>

class TelnetInput {
public:
    struct Line {
        QString text;
        bool tooLong = false;
    };
    static constexpr int kMaxLineBytes = 1000;
    // A subnegotiation that never ends must not swallow the session.
    static constexpr int kMaxSubnegotiation = 512;
    static constexpr unsigned char kCharset = 42;
    static constexpr unsigned char kGmcp = 201;

    // What the client said about the character set, in the order it came.
    enum class Charset {
        Agreed,   // DO CHARSET: the server may send its REQUEST
        Refused,  // DONT CHARSET
        Answered, // ACCEPTED or REJECTED, after the server's REQUEST
    };

    QList<Line> feed(const QByteArray& bytes);
    QList<Charset> takeCharsetNews();

    // The server sent its REQUEST: the next ACCEPTED or REJECTED answers it.
    void requestSent() { m_requestPending = true; }
    bool utf8() const { return m_utf8; }
    // The client's last word on option 201: DO (true) or DONT.
    bool gmcp() const { return m_gmcp; }

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void dataByte(char c, QList<Line>& out);
    void subnegotiation();

    State m_state = State::Data;
    unsigned char m_command = 0; // the WILL, WONT, DO or DONT waiting for its option
    QByteArray m_sub;            // the option and bytes of a subnegotiation
    QList<Charset> m_news;
    bool m_requestPending = false;
    bool m_utf8 = false;
    bool m_gmcp = false;
    QByteArray m_line; // in the client's encoding
    bool m_tooLong = false;
    char m_lastEnd = 0; // the CR or LF that just ended a line, for pairs
};
