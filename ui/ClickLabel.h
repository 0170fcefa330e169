#pragma once
// A transparent label laid over a drawn button (or a colour swatch) that takes
// its clicks. It is also that button for the keyboard and for screen readers:
// Tab reaches it, Space or Enter presses it, and its accessible interface is
// a push button named after the drawn caption (ClickLabelAccessible).
//
// A mouse click is reported whatever the button's state, and the window
// decides; a press from the keyboard or a reader acts only on an active
// button, so an inactive one stays inactive for everyone.
#include <QLabel>
#include <functional>

class CButton;

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);

    // The drawn button the label stands for (nullptr: none). Asked each time,
    // so that the owner may keep its buttons where it likes.
    void setButton(std::function<const CButton*()> button);
    const CButton* button() const { return m_button ? m_button() : nullptr; }

    // What a reader calls it: the accessible name when one is set, else the
    // button's caption, else the name of the colour it shows (a swatch).
    QString buttonName() const;
    // Active: its button is, or, without a button, the label is enabled.
    bool isActive() const;

    // The key that presses it from anywhere in its window ("Alt+N", "F1").
    void setKeyHint(const QString& key) { m_keyHint = key; }
    QString keyHint() const { return m_keyHint; }

    // A press by keyboard or reader: a click when active, nothing otherwise.
    void press();
    // Follows the button's state after the owner changed it: Tab reaches the
    // label only while active, and readers are told of the change.
    void syncState();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    std::function<const CButton*()> m_button;
    QString m_keyHint;
    bool m_pressed = false;
    bool m_wasActive = true;
};
