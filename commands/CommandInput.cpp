#include "commands/CommandInput.h"

#include "commands/CommandInputAccessible.h"
#include "ui/DisplayFont.h"
#include "ui/DisplaySink.h"

#include <QAccessible>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <utility>

namespace {
constexpr QChar kMask = u'*';
}

CommandInput::CommandInput(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("Combo1"));
    CommandInputAccessible::install();
    setEditable(true);
    // The program records the history itself; the combo box must neither add
    // lines nor complete typed words from earlier commands.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(CommandLine::kHistorySize);

    setFont(DisplayFont::make());

    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_serverEchoes)
            return;
        // Whatever empties or shortens the mask (Escape, a send, a caller's
        // setEditText) takes the secret with it.
        if (text.size() < m_secret.size()) {
            m_secret.truncate(text.size());
            return;
        }
        // Text put into the line other than by keys (a program, an assistive
        // tool's insert) joins the secret, and the line goes back to a mask.
        const qsizetype kept = text.count(kMask);
        QString added = text;
        added.remove(kMask);
        if (added.isEmpty())
            return;
        m_secret = m_secret.left(kept) + added;
        lineEdit()->setText(QString(m_secret.size(), kMask));
    });
}

void CommandInput::setServerEchoes(bool serverEchoes) {
    if (serverEchoes == m_serverEchoes)
        return;
    // A half-typed line becomes the start of the secret, but not the last
    // command left selected to be sent again (typing would replace it); a
    // secret left half-typed when the echo comes back is dropped, never shown.
    QString typed = serverEchoes ? currentText() : QString();
    if (lineEdit()->selectedText() == typed || std::exchange(m_replaceOnType, false))
        typed.clear();
    m_serverEchoes = serverEchoes;
    m_secret.clear();
    lineEdit()->setEchoMode(serverEchoes ? QLineEdit::Password : QLineEdit::Normal);
    lineEdit()->setAcceptDrops(!serverEchoes);
    lineEdit()->setContextMenuPolicy(serverEchoes ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    setEditText(QString());
    addSecret(typed);
    pointReaderAtLine();
}

// A screen reader echoes each key by the role of the object it believes has
// the focus. Before the first key of a secret the reader is told the focus
// is on the line, now a password field; when the echo comes back, on the
// combo box again.
void CommandInput::pointReaderAtLine() {
    if (!hasFocus() || !QAccessible::isActive())
        return;
    // A reader keeps the role it first learnt of an object; the line is made
    // a new object on the bus, so its password role is read afresh.
    if (QAccessibleInterface* line = QAccessible::queryAccessibleInterface(lineEdit()))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(line));
    QObject* focused = m_serverEchoes ? static_cast<QObject*>(lineEdit()) : this;
    QAccessibleEvent event(focused, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void CommandInput::addSecret(const QString& text) {
    if (text.isEmpty())
        return;
    if (!m_serverEchoes) {
        lineEdit()->insert(text);
        return;
    }
    // One line only, as a typed line would be.
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    const QString line = text.left(end);
    m_secret += line;
    lineEdit()->end(false);
    lineEdit()->insert(QString(line.size(), kMask));
}

bool CommandInput::handleSecretEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* e = static_cast<QKeyEvent*>(event);
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Escape:
            return handleKey(e);
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return false;
        case Qt::Key_Backspace:
            if (!m_secret.isEmpty()) {
                m_secret.chop(1);
                lineEdit()->end(false);
                lineEdit()->backspace();
            }
            return true;
        default:
            break;
        }
        if (e->matches(QKeySequence::Paste)) {
            addSecret(QGuiApplication::clipboard()->text());
        } else if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            QString text = e->text();
            text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
            addSecret(text);
        }
        // Everything else would move, select or undo within the mask.
        return true;
    }
    case QEvent::InputMethod:
        addSecret(static_cast<QInputMethodEvent*>(event)->commitString());
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // The middle button pastes the desktop's selection into the line.
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
    default:
        return false;
    }
}

void CommandInput::echo(const QString& text) {
    if (!m_display)
        return;
    m_display->setSelColor(EchoGrey);
    m_display->insertText(text);
    m_display->setSelColor(m_serverColours ? m_serverColours->current() : SgrColours::kPlainColour);
}

void CommandInput::showHistory() {
    clear();
    addItems(m_line.history());
}

void CommandInput::sendLine() {
    const QString typed = m_serverEchoes ? m_secret : currentText();

    if (m_serverEchoes) {
        // A secret: only the line break shows, and the field is emptied so it
        // cannot be sent again by accident.
        echo(QStringLiteral("\r\n"));
        emit commandEntered(CommandLine::hiddenLine(typed));
        setCurrentIndex(-1);
        setEditText(QString());
        m_secret.clear();
        emit commandSent(QString());
        return;
    }

    const CommandLine::Outcome out = m_line.enter(typed, m_cancella);
    if (!m_scriptAliases || !m_scriptAliases(typed)) {
        echo(out.line);
        emit commandEntered(out.line);
    }
    emit commandSent(out.line);

    if (out.recorded) {
        showHistory();
        // With nothing shown no entry is current, so Down starts at the newest.
        setCurrentIndex(out.text.isEmpty() ? -1 : 0);
        // The newest entry is the command itself: setting it again would
        // have a screen reader say it twice.
        if (currentText() != out.text)
            setEditText(out.text);
        // Choosing a list entry selects the edit text, as a combo box does:
        // Enter sends it again, typing starts a new command.
        if (!keepForScreenReader())
            lineEdit()->selectAll();
    } else {
        setEditText(out.text);
        // Caret at the start, whole text selected: typing replaces it and
        // Enter sends it again.
        if (!keepForScreenReader())
            lineEdit()->setSelection(int(out.text.size()), -int(out.text.size()));
    }
}

// A screen reader would read a selection typed over as "selection deleted"
// before every command: with one listening the last command stays
// unselected, and the first character typed replaces it all the same.
bool CommandInput::keepForScreenReader() {
    m_replaceOnType = QAccessible::isActive() && !currentText().isEmpty();
    if (m_replaceOnType)
        lineEdit()->end(false);
    return m_replaceOnType;
}

void CommandInput::replaceOnType(QKeyEvent* e) {
    if (!std::exchange(m_replaceOnType, false))
        return;
    const QString text = e->text();
    if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !text.isEmpty() &&
        text.at(0).isPrint())
        lineEdit()->clear();
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
    if (m_serverEchoes && handleSecretEvent(e))
        return;
    replaceOnType(e);
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier) || !handleKey(e))
        QComboBox::keyPressEvent(e);
}

void CommandInput::inputMethodEvent(QInputMethodEvent* e) {
    if (!(m_serverEchoes && handleSecretEvent(e)))
        QComboBox::inputMethodEvent(e);
}

void CommandInput::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    if (m_serverEchoes)
        pointReaderAtLine();
}

bool CommandInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && m_serverEchoes && handleSecretEvent(event))
        return true;
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress)
        m_replaceOnType = false;
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        replaceOnType(e);
        if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && handleKey(e))
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}
