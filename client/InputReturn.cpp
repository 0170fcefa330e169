#include "client/InputReturn.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMenuBar>

InputReturn::InputReturn(QComboBox* input, QWidget* window)
    : QObject(input), m_input(input), m_window(window) {
    // The combo box hands its focus events straight to its line edit, past
    // any filter there: watch the combo box, which sees them first.
    m_input->installEventFilter(this);
    m_window->installEventFilter(this);
}

void InputReturn::watchMenus(QMenuBar* bar) {
    // Emitted once the item has done its work (a modal window has closed).
    connect(bar, &QMenuBar::triggered, this, [this] { bringBack(); });
}

void InputReturn::bringBack() {
    if (!m_input->isEnabled() || !m_input->isVisible())
        return;
    if (m_input->hasFocus()) {
        restore();
        return;
    }
    m_input->setFocus(Qt::OtherFocusReason);
}

void InputReturn::bringBackFrom(const QList<QWidget*>& places) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && places.contains(focus))
        bringBack();
}

void InputReturn::remember() {
    const QLineEdit* line = m_input->lineEdit();
    if (!line)
        return;
    m_saved = true;
    m_text = line->text();
    m_selectionStart = line->selectionStart();
    m_selectionLength = int(line->selectedText().size());
    m_cursor = line->cursorPosition();
}

void InputReturn::restore() {
    QLineEdit* line = m_input->lineEdit();
    // Text changed meanwhile (the history, a paste) is left as it is now.
    if (!line || !m_saved || line->text() != m_text)
        return;
    if (m_selectionStart < 0) {
        line->setCursorPosition(m_cursor);
        return;
    }
    // The caret stays at the end the player left it at.
    if (m_cursor == m_selectionStart)
        line->setSelection(m_selectionStart + m_selectionLength, -m_selectionLength);
    else
        line->setSelection(m_selectionStart, m_selectionLength);
}

bool InputReturn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_input) {
        // Seen before the line edit handles them: on the way out the
        // selection is still there, on the way in it is back before the
        // line edit decides whether to select everything.
        if (event->type() == QEvent::FocusOut)
            remember();
        else if (event->type() == QEvent::FocusIn)
            restore();
    } else if (watched == m_window) {
        if (event->type() == QEvent::WindowDeactivate) {
            const QWidget* now = QApplication::activeWindow();
            m_awayInOwnWindow = now && now != m_window;
        } else if (event->type() == QEvent::WindowActivate && m_awayInOwnWindow) {
            m_awayInOwnWindow = false;
            bringBack();
        }
    }
    return QObject::eventFilter(watched, event);
}
