#pragma once
// The main window's surface: the tiled background, the pictures and the drawn
// buttons painted as they are, and the display, the input line and the log
// switch laid out over it for its size. Hover, clicks and keys of the buttons
// are MainButtons' (commands/).
#include "automation/ButtonBar.h"
#include "ui/CButton.h"

#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>

class QPainter;

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

class MainSurface : public QWidget {
    Q_OBJECT
public:
    MainSurface(const ButtonBar& bar, const CButton& connectButton, const CButton& disconnectButton,
                QWidget* parent = nullptr);

    void setPictures(const MainPictures& pictures);
    const MainPictures& pictures() const { return m_pictures; }
    void setBackground(const QPixmap& background);
    // The controls laid out on resize; any may be null.
    void setLayoutWidgets(QWidget* rtbDisplay, QWidget* combo1, QWidget* chkLog);
    // The gauges, at the foot of the display's place while they are shown.
    void setGaugeBar(QWidget* gauges);

    // Paints what the surface shows onto p, the surface being size big.
    void paint(QPainter& p, const QSize& size) const;
    // Places the display, the input line and the log switch for the current
    // size.
    void layoutControls();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const ButtonBar& m_bar;
    const CButton& m_connect;
    const CButton& m_disconnect;
    MainPictures m_pictures;
    QPointer<QWidget> m_display, m_combo, m_chkLog, m_gauges;
};
