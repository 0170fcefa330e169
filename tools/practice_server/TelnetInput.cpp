#include "practice_server/TelnetInput.h"

#include "practice_server/Cp1252.h"

namespace {
constexpr unsigned char IAC = 255, SB = 250, SE = 240, WILL = 251, DO = 253, DONT = 254;
constexpr char kAccepted = 2, kRejected = 3;
} // namespace

QList<TelnetInput::Charset> TelnetInput::takeCharsetNews() {
    QList<Charset> news;
    news.swap(m_news);
    return news;
}

void TelnetInput::subnegotiation() {
    if (m_sub.size() < 2 || uchar(m_sub[0]) != kCharset || !m_requestPending)
        return;
    if (m_sub[1] == kAccepted) {
        m_utf8 = m_sub.mid(2).trimmed().compare("UTF-8", Qt::CaseInsensitive) == 0;
    } else if (m_sub[1] != kRejected) {
        return;
    }
    m_requestPending = false;
    m_news << Charset::Answered;
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
                m_command = u;
            } else if (u == SB) {
                m_state = State::Sub;
                m_sub.clear();
            } else {
                m_state = State::Data; // NOP, GA, AYT and the like
            }
            break;
        case State::Option:
            m_state = State::Data;
            if (u == kCharset && m_command == DO)
                m_news << Charset::Agreed;
            else if (u == kCharset && m_command == DONT)
                m_news << Charset::Refused;
            else if (u == kGmcp && (m_command == DO || m_command == DONT))
                m_gmcp = m_command == DO;
            break;
        case State::Sub:
            if (u == IAC)
                m_state = State::SubIac;
            else if (m_sub.size() >= kMaxSubnegotiation)
                m_state = State::Data;
            else
                m_sub.append(c);
            break;
        case State::SubIac:
            if (u == SE) {
                m_state = State::Data;
                subnegotiation();
            } else {
                m_state = State::Sub;
                if (u == IAC && m_sub.size() < kMaxSubnegotiation)
                    m_sub.append(c);
            }
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
        out.append({m_utf8 ? QString::fromUtf8(m_line) : Cp1252::decode(m_line), m_tooLong});
        m_line.clear();
        m_tooLong = false;
        m_lastEnd = c;
        return;
    }
    if (u == 0)
        return; // CR NUL is a plain line end
    m_lastEnd = 0;
    if (u == 0x08 || u == 0x7F) {
        // A UTF-8 character goes whole: its continuation bytes, then its lead.
        while (m_utf8 && !m_line.isEmpty() && (uchar(m_line.back()) & 0xC0) == 0x80)
            m_line.chop(1);
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
