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
    const QString said = spokenText(text, m_echoPending ? m_echo : QString());
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
