#include "commands/CommandInput.h"

#include "ui/DisplayFont.h"
#include "ui/DisplaySink.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

CommandInput::CommandInput(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("Combo1"));
    setEditable(true);
    // The program records the history itself; the combo box must neither add
    // lines nor complete typed words from earlier commands.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(CommandLine::kHistorySize);

    setFont(DisplayFont::make());

    lineEdit()->installEventFilter(this);
}

void CommandInput::setServerEchoes(bool serverEchoes) {
    m_serverEchoes = serverEchoes;
    lineEdit()->setEchoMode(serverEchoes ? QLineEdit::Password : QLineEdit::Normal);
}

void CommandInput::echo(const QString& text) {
    if (!m_display)
        return;
    m_display->setSelColor(EchoGrey);
    m_display->insertText(text);
    m_display->setSelColor(m_currentColour ? m_currentColour() : qRgb(240, 240, 240));
}

void CommandInput::showHistory() {
    clear();
    addItems(m_line.history());
}

void CommandInput::sendLine() {
    const QString typed = currentText();

    if (m_serverEchoes) {
        // A secret: only the line break shows, and the field is emptied so it
        // cannot be sent again by accident.
        echo(QStringLiteral("\r\n"));
        if (m_write)
            m_write(CommandLine::hiddenLine(typed));
        setCurrentIndex(-1);
        setEditText(QString());
        return;
    }

    const bool cancella = m_cancella && m_cancella();
    const CommandLine::Outcome out = m_line.enter(typed, cancella);
    echo(out.line);
    if (m_write)
        m_write(out.line);

    if (out.recorded) {
        showHistory();
        // With nothing shown no entry is current, so Down starts at the newest.
        setCurrentIndex(out.text.isEmpty() ? -1 : 0);
        setEditText(out.text);
        // Choosing a list entry selects the edit text, as a combo box does:
        // Enter sends it again, typing starts a new command.
        lineEdit()->selectAll();
    } else {
        setEditText(out.text);
        // Caret at the start, whole text selected: typing replaces it and
        // Enter sends it again.
        lineEdit()->setSelection(int(out.text.size()), -int(out.text.size()));
    }
}

bool CommandInput::handleKey(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        sendLine();
        return true;
    case Qt::Key_PageUp:
        emit scrollRequested(-1);
        return true;
    case Qt::Key_PageDown:
        emit scrollRequested(1);
        return true;
    case Qt::Key_Escape:
        setEditText(QString());
        return true;
    default:
        return false;
    }
}

void CommandInput::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier) || !handleKey(e))
        QComboBox::keyPressEvent(e);
}

bool CommandInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && handleKey(e))
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}
