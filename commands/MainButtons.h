#pragma once
// The main window's drawn buttons: the eight of the ButtonBar and the
// "Connetti"/"Disconnetti" pair. Transparent cells (`lblShp_1` ... `lblShp_10`)
// laid over them give the hover highlight and the clicks; the window surface
// is painted here (`RepaintMain`) and its controls laid out on resize.
#include "automation/ButtonBar.h"
#include "ui/CButton.h"

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <array>
#include <functional>

class QLabel;
class QPainter;
class QWidget;

// The pictures of the window surface. A null rectangle size means the
// picture's own size at the rectangle's top-left corner.
struct MainPictures {
    QPixmap background; // tiled over the whole surface
    std::array<QPixmap, 2> image1;
    std::array<QRect, 2> image1Rect;
    QPixmap imgConn, imgDisc;
    // 10 twips right of and below the top-left corner of their cells.
    QRect imgConnRect{181, 6, 0, 0};
    QRect imgDiscRect{266, 6, 0, 0};
};

struct MainButtonsHooks {
    std::function<bool()> connettiServer; // true when the connection is made
    std::function<void()> disconnettiServer;
    std::function<void(bool connected)> setMenusConnected;
    std::function<void(const CButton&)> eseguiButt;
};

class MainButtons : public QObject {
    Q_OBJECT
public:
    static constexpr int kCells = 10;

    // The buttons must already have their geometry (start-up creates them);
    // the cells are created over them as children of surface.
    MainButtons(QWidget* surface, ButtonBar& bar, CButton& connectButton, CButton& disconnectButton,
                MainButtonsHooks hooks, QObject* parent = nullptr);
    ~MainButtons() override;

    void setPictures(const MainPictures& pictures);
    const MainPictures& pictures() const { return m_pictures; }
    void setBackground(const QPixmap& background);
    // The controls laid out on resize; any may be null.
    void setLayoutWidgets(QWidget* rtbDisplay, QWidget* combo1, QWidget* chkLog);

    // Moving the pointer over w (the display's viewport) leaves every button.
    void clearHoverOver(QWidget* w);

    // The button under cell n (1 to 10).
    CButton& buttonOfCell(int n);
    QLabel* cell(int n) const;
    // Moves the cells over their buttons again.
    void placeCells();

    // Pointer over cell n: only an active button is highlighted.
    void hoverCell(int n);
    // Mouse down on cell n.
    void clickCell(int n);
    // No button highlighted.
    void ClearHover();
    // Repaints the whole surface.
    void RepaintMain();
    // Paints what RepaintMain shows onto p, the surface being size big.
    void paint(QPainter& p, const QSize& size) const;
    // Places the display, the input line and the log switch for the surface's
    // current size.
    void layoutControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<CButton*, kCells> allButtons();

    QPointer<QWidget> m_surface;
    ButtonBar& m_bar;
    CButton& m_connect;
    CButton& m_disconnect;
    MainButtonsHooks m_hooks;
    MainPictures m_pictures;
    std::array<QLabel*, kCells + 1> m_cells{}; // index 0 is not a cell
    QSet<const QObject*> m_leaveWatched;
    QPointer<QWidget> m_display, m_combo, m_chkLog;
};
