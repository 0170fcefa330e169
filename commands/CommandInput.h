#pragma once
// The main window's input line (`Combo1`): an editable combo box whose list is
// the command history. Enter sends the line; Up and Down walk the history as
// the combo box does; Page Up and Page Down scroll the display; Escape empties
// the line. While the server echoes (a password prompt) the typed text is
// masked and leaves no trace in the display or the history: the line then
// shows one mask character per typed one and the typed text is kept here,
// so no widget, and nothing a screen reader can read, ever holds it.
#include "commands/CommandLine.h"
#include "protocol/SgrColours.h"

#include <QComboBox>
#include <functional>

class DisplaySink;

class CommandInput : public QComboBox {
    Q_OBJECT
public:
    explicit CommandInput(QWidget* parent = nullptr);

    void setDisplay(DisplaySink* display) { m_display = display; }
    void setAliases(PairTable* aliases) { m_line.setAliases(aliases); }
    // The player's script aliases see each typed line first; true: taken,
    // the line is neither shown nor sent (the history still keeps it). One
    // function, not a signal: its answer decides the send before it happens.
    void setScriptAliasHook(std::function<bool(const QString&)> hook) {
        m_scriptAliases = std::move(hook);
    }
    // The server text's colours: the display goes back to their current one
    // (`CurrentColor`) after the echo; plain grey without them.
    void setServerColours(const SgrColours* colours) { m_serverColours = colours; }

    bool serverEchoes() const { return m_serverEchoes; }
    const QStringList& history() const { return m_line.history(); }
    const QString& LastCommand() const { return m_line.LastCommand(); }

public slots:
    // The server took over echoing (true) or gave it back (false).
    void setServerEchoes(bool serverEchoes);
    // Enter: sends the input line.
    void sendLine();
    // Check mark of "Cancella prompt": a command that enters the history
    // leaves the line empty instead of selected.
    void setCancellaPrompt(bool on) { m_cancella = on; }

signals:
    // Page Up (-1) or Page Down (+1): scroll the display by pages.
    void scrollRequested(int pages);
    // A line went to the server; echoed is what the display shows of it
    // (empty for a secret).
    void commandSent(const QString& echoed);
    // What goes to the server for a line: announced before commandSent, not
    // for a line a script alias took.
    void commandEntered(const QString& line);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pointReaderAtLine();
    bool handleKey(QKeyEvent* e);
    // While the server echoes: every key, paste, drop or input-method text
    // that would edit the line. True when the event is dealt with.
    bool handleSecretEvent(QEvent* event);
    void addSecret(const QString& text);
    bool keepForScreenReader();
    void replaceOnType(QKeyEvent* e);
    void showHistory();
    void echo(const QString& text);

    CommandLine m_line;
    DisplaySink* m_display = nullptr;
    std::function<bool(const QString&)> m_scriptAliases;
    const SgrColours* m_serverColours = nullptr;
    bool m_cancella = false;
    bool m_serverEchoes = false;
    QString m_secret;             // what was typed while the server echoes
    bool m_replaceOnType = false; // the last command, kept unselected, goes at the next key
};
