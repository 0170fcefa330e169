#pragma once
// The main window's drawn buttons: the eight of the ButtonBar and the
// "Connetti"/"Disconnetti" pair. Transparent cells (`lblShp_1` ... `lblShp_10`)
// laid over them give the hover highlight and the clicks, and are the buttons
// for the keyboard and for screen readers (ClickLabel); F1 to F8 press the
// bar's buttons. The surface itself is painted by the main window.
#include "automation/ButtonBar.h"
#include "ui/CButton.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <array>

class ClickLabel;
class QWidget;

class MainButtons : public QObject {
    Q_OBJECT
public:
    static constexpr int kCells = 10;

    // The buttons must already have their geometry (start-up creates them);
    // the cells are created over them as children of surface.
    MainButtons(QWidget* surface, ButtonBar& bar, CButton& connectButton, CButton& disconnectButton,
                QObject* parent = nullptr);
    ~MainButtons() override;

    // Moving the pointer over w (the display's viewport) leaves every button.
    void clearHoverOver(QWidget* w);
    // F1 to F8 press bar buttons 1 to 8 in window and in the windows it does
    // not block (not while a modal window is open).
    void installKeys(QWidget* window);

    // The button under cell n (1 to 10).
    CButton& buttonOfCell(int n);
    ClickLabel* cell(int n) const;
    // Moves the cells over their buttons again.
    void placeCells();

    // Pointer over cell n: only an active button is highlighted.
    void hoverCell(int n);
    // Mouse down on cell n, or its key.
    void clickCell(int n);
    // The connected state changed: the active one of the pair follows it.
    void showConnected(bool connected);
    // No button highlighted.
    void ClearHover();
    // Repaints the whole surface; the cells follow the buttons' states.
    void RepaintMain();

signals:
    // The pair asks for a connection or its end; whoever owns the connected
    // state answers through showConnected().
    void connettiPressed();
    void disconnettiPressed();
    // An active bar button was pressed (its commands are for the server).
    void barButtonPressed(const CButton& button);
    // Something the player should hear, in Italian (a key on a button that
    // does nothing).
    void notice(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<CButton*, kCells> allButtons();

    QPointer<QWidget> m_surface;
    ButtonBar& m_bar;
    CButton& m_connect;
    CButton& m_disconnect;
    std::array<ClickLabel*, kCells + 1> m_cells{}; // index 0 is not a cell
    QSet<const QObject*> m_leaveWatched;
};
