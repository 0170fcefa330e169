#pragma once
// What Enter in the input line does, without the widget: the line to send
// (alias expansion of the first word, the leading space, CR LF), the history
// of recent commands, newest first, and what the input line shows afterwards.
#include "automation/PairTable.h"

#include <QRgb>
#include <QString>
#include <QStringList>

// Colour of echoed commands and button actions.
inline constexpr QRgb EchoGrey = qRgb(160, 160, 160);

class CommandLine {
public:
    static constexpr int kHistorySize = 15;

    // What the input line shows after a send. When the command was not
    // recorded its whole text is selected with the caret at the start.
    struct Outcome {
        QString line; // echoed and written, CR LF at its end
        bool recorded = false;
        QString text;
        bool selectAll = false;
    };

    // aliases may be null: no expansion then.
    explicit CommandLine(PairTable* aliases = nullptr) : m_aliases(aliases) {}
    void setAliases(PairTable* aliases) { m_aliases = aliases; }

    // Enter on the typed text: builds the line and records the history.
    // cancellaPrompt is the check mark of "Cancella prompt".
    Outcome enter(const QString& typed, bool cancellaPrompt);

    // Enter while the server echoes (a password prompt): the text goes out as
    // typed, unexpanded, and leaves no trace in the history.
    static QString hiddenLine(const QString& typed);

    // The line for typed text. Expansion may shorten AliasList actions in place
    // (a trailing "<%>" is dropped for good).
    static QString lineToSend(const QString& typed, PairTable* aliases);
    // Expands one word through the aliases, walking every one of them.
    static QString expandFirstWord(const QString& word, PairTable& aliases);

    const QStringList& history() const { return m_history; }
    const QString& LastCommand() const { return m_lastCommand; }

private:
    PairTable* m_aliases = nullptr;
    QStringList m_history; // newest first
    QString m_lastCommand;
};
