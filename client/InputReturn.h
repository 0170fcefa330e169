#pragma once
// Brings the main window's input line back as the player left it whenever
// something took the focus away: a menu, a dialog, a tool window, a drawn
// button pressed from the keyboard. The text's selection and caret come back
// with the focus, so that after a command was sent (and left selected) the
// next one typed replaces it instead of being glued to it.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QComboBox;
class QMenuBar;
class QWidget;

class InputReturn : public QObject {
    Q_OBJECT
public:
    // input: the editable input line; window: the main window it lives in.
    InputReturn(QComboBox* input, QWidget* window);

    // Puts the focus in the input line, with its selection as it was left.
    void bringBack();
    // The same, but only when the focus is on one of these widgets (the
    // drawn pair, whose pressed button is now inactive).
    void bringBackFrom(const QList<QWidget*>& places);
    // Every item picked from the bar's menus ends in the input line.
    void watchMenus(QMenuBar* bar);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void remember();
    void restore();

    QComboBox* m_input;
    QWidget* m_window;
    // The line as the focus left it.
    bool m_saved = false;
    QString m_text;
    int m_selectionStart = -1;
    int m_selectionLength = 0;
    int m_cursor = 0;
    // The window lost its activation to another window of the program
    // (a dialog or tool window), not to another program.
    bool m_awayInOwnWindow = false;
};
