#pragma once
// Turns the bytes a player's client sends into command lines: telnet
// commands are dropped (the server needs none of them), CR LF, LF CR, CR NUL
// and lone CR or LF each end one line, backspaces edit, other control
// characters vanish, and an overlong line is cut and marked.
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

    QList<Line> feed(const QByteArray& bytes);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    void dataByte(char c, QList<Line>& out);

    State m_state = State::Data;
    int m_subLength = 0;
    QByteArray m_line;
    bool m_tooLong = false;
    char m_lastEnd = 0; // the CR or LF that just ended a line, for pairs
};
