#pragma once
// The main window's input line (`Combo1`): an editable combo box whose list is
// the command history. Enter sends the line; Up and Down walk the history as
// the combo box does; Page Up and Page Down scroll the display; Escape empties
// the line. While the server echoes (a password prompt) the typed text is
// masked and leaves no trace in the display or the history: the line then
// shows one mask character per typed one and the typed text is kept here,
// so no widget, and nothing a screen reader can read, ever holds it.
#include "commands/CommandLine.h"

#include <QComboBox>
#include <functional>

class DisplaySink;

class CommandInput : public QComboBox {
    Q_OBJECT
public:
    using WriteHook = std::function<void(const QString&)>;

    explicit CommandInput(QWidget* parent = nullptr);

    void setDisplay(DisplaySink* display) { m_display = display; }
    void setAliases(PairTable* aliases) { m_line.setAliases(aliases); }
    void setWriteHook(WriteHook write) { m_write = std::move(write); }
    // Colour the display goes back to after the echo (`CurrentColor`).
    void setCurrentColourHook(std::function<QRgb()> hook) { m_currentColour = std::move(hook); }
    // Check mark of "Cancella prompt", read after each send.
    void setCancellaPromptHook(std::function<bool()> hook) { m_cancella = std::move(hook); }

    bool serverEchoes() const { return m_serverEchoes; }
    const QStringList& history() const { return m_line.history(); }
    const QString& LastCommand() const { return m_line.LastCommand(); }

public slots:
    // The server took over echoing (true) or gave it back (false).
    void setServerEchoes(bool serverEchoes);
    // Enter: sends the input line.
    void sendLine();

signals:
    // Page Up (-1) or Page Down (+1): scroll the display by pages.
    void scrollRequested(int pages);
    // A line went to the server; echoed is what the display shows of it
    // (empty for a secret).
    void commandSent(const QString& echoed);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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
    WriteHook m_write;
    std::function<QRgb()> m_currentColour;
    std::function<bool()> m_cancella;
    bool m_serverEchoes = false;
    QString m_secret;             // what was typed while the server echoes
    bool m_replaceOnType = false; // the last command, kept unselected, goes at the next key
};
