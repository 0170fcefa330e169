#include "speech/GameVoice.h"

#include <QStringList>

QString GameVoice::spokenText(const QString& text, const QString& echo) {
    QStringList lines = text.split(u'\n');
    const QString wanted = echo.trimmed();
    if (!wanted.isEmpty() && !lines.isEmpty() && lines.first().trimmed() == wanted)
        lines.removeFirst();
    QStringList kept;
    for (QString& line : lines) {
        for (QChar& c : line)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = u' ';
        if (!line.trimmed().isEmpty())
            kept.append(line.trimmed());
    }
    return kept.join(u'\n');
}

void GameVoice::textArrived(const QString& text) {
    QString said = spokenText(text, m_echoPending ? m_echo : QString());
    if (!m_quiet.isEmpty() && !said.isEmpty()) {
        QStringList lines = said.split(u'\n');
        for (qsizetype i = 0; i < lines.size() && !m_quiet.isEmpty();) {
            const qsizetype at = m_quiet.indexOf(lines[i]);
            if (at < 0) {
                ++i;
                continue;
            }
            m_quiet.removeAt(at);
            lines.removeAt(i);
        }
        said = lines.join(u'\n');
    }
    m_echoPending = false;
    if (m_speech && !said.isEmpty())
        m_speech->speak(said);
}

void GameVoice::commandSent(const QString& echoed) {
    m_echo = echoed;
    m_echoPending = true;
    silence();
}

void GameVoice::sayNow(const QString& text) {
    silence();
    if (m_speech && !text.trimmed().isEmpty())
        m_speech->speak(text);
}

void GameVoice::silence() {
    if (m_speech)
        m_speech->stop();
}

void GameVoice::say(const QString& text) {
    if (m_speech && !text.trimmed().isEmpty())
        m_speech->speak(text);
}

void GameVoice::keepQuiet(const QString& line) {
    const QString kept = spokenText(line, {});
    if (kept.isEmpty())
        return;
    m_quiet.append(kept);
    while (m_quiet.size() > kMaxQuiet)
        m_quiet.removeFirst();
}
