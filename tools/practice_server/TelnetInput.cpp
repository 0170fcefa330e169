#include "practice_server/TelnetInput.h"

#include "practice_server/Cp1252.h"

namespace {
constexpr unsigned char IAC = 255, SB = 250, SE = 240, WILL = 251, DONT = 254;
}

QList<TelnetInput::Line> TelnetInput::feed(const QByteArray& bytes) {
    QList<Line> out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        switch (m_state) {
        case State::Data:
            if (u == IAC)
                m_state = State::Iac;
            else
                dataByte(c, out);
            break;
        case State::Iac:
            if (u == IAC) {
                m_state = State::Data;
                dataByte(c, out); // escaped 0xFF is a data byte
            } else if (u >= WILL && u <= DONT) {
                m_state = State::Option;
            } else if (u == SB) {
                m_state = State::Sub;
                m_subLength = 0;
            } else {
                m_state = State::Data; // NOP, GA, AYT and the like
            }
            break;
        case State::Option:
            m_state = State::Data;
            break;
        case State::Sub:
            if (u == IAC)
                m_state = State::SubIac;
            else if (++m_subLength > kMaxSubnegotiation)
                m_state = State::Data;
            break;
        case State::SubIac:
            m_state = (u == SE) ? State::Data : State::Sub;
            break;
        }
    }
    return out;
}

void TelnetInput::dataByte(char c, QList<Line>& out) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
        if (m_lastEnd != 0 && m_lastEnd != c && m_line.isEmpty() && !m_tooLong) {
            m_lastEnd = 0; // second half of a CR LF or LF CR pair
            return;
        }
        out.append({Cp1252::decode(m_line), m_tooLong});
        m_line.clear();
        m_tooLong = false;
        m_lastEnd = c;
        return;
    }
    if (u == 0)
        return; // CR NUL is a plain line end
    m_lastEnd = 0;
    if (u == 0x08 || u == 0x7F) {
        if (!m_line.isEmpty())
            m_line.chop(1);
        return;
    }
    if (c == '\t')
        c = ' ';
    else if (u < 0x20)
        return;
    if (m_line.size() >= kMaxLineBytes) {
        m_tooLong = true;
        return;
    }
    m_line.append(c);
}
