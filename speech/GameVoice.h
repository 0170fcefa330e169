#pragma once
// What the game says aloud while the player types: each batch of new game
// text as it arrives, in order, without the player's own command echoed
// back; a sent command cuts what is being said. The window decides when the
// voice is wanted and which lines the review keys ask for.
#include "speech/Speech.h"

#include <QString>
#include <QStringList>

class GameVoice {
public:
    explicit GameVoice(Speech* speech = nullptr) : m_speech(speech) {}
    void setSpeech(Speech* speech) { m_speech = speech; }

    // New text shown in the game, lines split by '\n'.
    void textArrived(const QString& text);
    // The player sent a command: what is being said stops, and the command's
    // echo at the start of the next text is not said again.
    void commandSent(const QString& echoed);
    // Says text at once, cutting what was being said (the review keys, the
    // window's own messages).
    void sayNow(const QString& text);
    // Silence until new text arrives.
    void silence();
    // Says text after what is being said (a script's words).
    void say(const QString& text);
    // The next arriving line that reads line (blanks at the ends aside) is
    // not said. Only the newest kMaxQuiet such lines are remembered.
    void keepQuiet(const QString& line);
    static constexpr int kMaxQuiet = 32;

    // The text of a batch that is worth saying: the echo dropped, control
    // characters and blank lines gone. Empty when nothing is left.
    static QString spokenText(const QString& text, const QString& echo);

private:
    Speech* m_speech;
    QString m_echo;
    bool m_echoPending = false;
    QStringList m_quiet; // lines not to say, oldest first
};
