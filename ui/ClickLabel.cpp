#include "ui/ClickLabel.h"

#include "ui/CButton.h"
#include "ui/ClickLabelAccessible.h"
#include "ui/ColourNames.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyle>

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    ClickLabelAccessible::install();
    // Tab only: a click must leave the focus where the player is typing.
    setFocusPolicy(Qt::TabFocus);
}

void ClickLabel::setButton(std::function<const CButton*()> button) {
    m_button = std::move(button);
    syncState();
}

QString ClickLabel::buttonName() const {
    if (!accessibleName().isEmpty())
        return accessibleName();
    if (const CButton* b = button())
        return b->Caption().trimmed();
    if (autoFillBackground())
        return colourName(palette().color(QPalette::Window));
    return text();
}

bool ClickLabel::isActive() const {
    if (const CButton* b = button())
        return b->Attivo();
    return isEnabled();
}

void ClickLabel::press() {
    if (isActive())
        emit clicked();
}

void ClickLabel::syncState() {
    const bool active = isActive();
    setFocusPolicy(active ? Qt::TabFocus : Qt::NoFocus);
    if (active == m_wasActive)
        return;
    m_wasActive = active;
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.disabled = true;
        changed.focusable = true;
        QAccessibleStateChangeEvent ev(this, changed);
        QAccessible::updateAccessibility(&ev);
    }
}

void ClickLabel::mousePressEvent(QMouseEvent* e) {
    m_pressed = e->button() == Qt::LeftButton;
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->pos());
    m_pressed = false;
    e->accept();
    if (click)
        emit clicked();
}

// The second press of a double click comes as a double click: it is part of
// the click already reported, not a new one.
void ClickLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    m_pressed = false;
    e->accept();
}

void ClickLabel::keyPressEvent(QKeyEvent* e) {
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && !e->isAutoRepeat() &&
        (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        e->accept();
        press();
        return;
    }
    QLabel::keyPressEvent(e);
}

void ClickLabel::paintEvent(QPaintEvent* e) {
    // The owner repaints after it changed its buttons: a state seen drawn is
    // the state the keyboard and readers get.
    syncState();
    QLabel::paintEvent(e);
    if (!hasFocus())
        return;
    // The drawn button shows no focus of its own: a black ring and a white
    // one inside it. Every colour under them stands at least 4.5:1 from one
    // of the two, and they 21:1 from each other.
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    p.setPen(QPen(Qt::white, 2));
    p.drawRect(QRectF(rect()).adjusted(3, 3, -3, -3));
}

void ClickLabel::focusInEvent(QFocusEvent* e) {
    QLabel::focusInEvent(e);
    update();
}

void ClickLabel::focusOutEvent(QFocusEvent* e) {
    QLabel::focusOutEvent(e);
    update();
}
