#pragma once
// "Trova": a small window, not modal, that finds text in the game display
// while the game goes on. It ignores case and goes forward (Enter, Ctrl+G) or
// backward (Shift+Enter, Ctrl+Shift+G) from the last match, or from what the
// display shows. The match is selected in the display, which readers are
// told of, and brought into view; the view stays on it while new text
// arrives, and goes back to the newest text when the window closes.
#include <QDialog>
#include <QPointer>

class GameDisplay;
class QLabel;
class QLineEdit;
class QPushButton;

class FrmTrova : public QDialog {
    Q_OBJECT
public:
    explicit FrmTrova(GameDisplay& display, QWidget* parent = nullptr);

    // Shows the window, or brings it forward, with its text selected in the
    // box, ready to be searched again or replaced.
    void present();
    // Search for the box's text; false when there is none ("Testo non trovato").
    bool findNext();
    bool findPrevious();

    QLineEdit* textBox() const { return m_text; }
    QLabel* result() const { return m_result; }

signals:
    // A search's result, for the player to hear ("Testo non trovato", ...).
    void resultShown(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    bool find(bool forward);
    void say(const QString& text);

    // The main window's display, which may go before this window does.
    QPointer<GameDisplay> m_display;
    QLineEdit* m_text = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_previous = nullptr;
    // The last match as an absolute position (see DisplayBuffer::removedChars),
    // so that trimming old lines does not move it; -1 before the first.
    qint64 m_matchStart = -1;
    int m_matchLength = 0;
};
