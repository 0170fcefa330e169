#pragma once
// The common kit of the tool windows: a client area covered with a repeating
// tile, drawn buttons (CButton) each with a 20x20 icon and a transparent click
// label over it, and optionally a shaped outline.
//
// The click labels are the buttons for the keyboard and for screen readers
// too: Tab reaches the active ones, Space presses them, and Alt with the
// underlined letter of a caption presses its button from anywhere in the
// window.
//
// Subclasses put their controls on clientArea() in client-area pixels, fill
// buttons(), then call createButtonControls(). Clicks on a button's label
// are announced by buttonClicked(index), whatever the button's state.
//
// A shaped window is frameless and draws its own caption bar and dialog
// frame, which the outline then cuts down to a tab holding the close button
// ("x"); dragging the tab moves the window. An ordinary window keeps the
// window manager's frame and no mask.
#include "ui/CButton.h"
#include "ui/ClickLabel.h"

#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <vector>

class QShortcut;
class QToolButton;

class ToolWindow : public QDialog {
    Q_OBJECT
public:
    enum class Frame { Shaped, Ordinary };

    // Caption bar and dialog frame of shaped windows, in pixels.
    static constexpr int kCaption = 18;
    static constexpr int kFrameY = 3;
    static constexpr int kFrameX = 3;
    static constexpr int kTabWidth = 65;

    explicit ToolWindow(QWidget* parent = nullptr, Frame frame = Frame::Ordinary);
    ~ToolWindow() override;

    bool isShaped() const { return m_frame == Frame::Shaped; }
    // Where the controls and drawn buttons live; positions are relative to it.
    QWidget* clientArea() const;
    // Fixes the window's size so that its client area is w x h pixels.
    void setClientSize(int w, int h);
    QSize clientSize() const;
    // Top-left corner of the client area in window coordinates.
    QPoint clientOrigin() const;

    void setTile(const QPixmap& tile);
    const QPixmap& tile() const { return m_tile; }

    std::vector<CButton>& buttons() { return m_buttons; }
    const std::vector<CButton>& buttons() const { return m_buttons; }
    ClickLabel* lblShape(int index) const;
    QLabel* icone(int index) const;

    // Builds the outline from the current outer size and applies it.
    void SetFormRegion();
    // Removes the outline (the window is unloading).
    void ResetFormRegion();

    // The tab's close button of a shaped window (nullptr otherwise).
    QToolButton* closeButton() const { return m_close; }

signals:
    // A click on the label over button index (or its key), active or not.
    void buttonClicked(int index);

protected:
    // (Re)creates icone_i and lblShape_i for the current buttons: the icon at
    // button top + 3, left + 3; the label 100 x 25 over the button.
    // icons[i] is button i's picture; a missing one leaves the icon empty.
    void createButtonControls(const QList<QPixmap>& icons = {});
    // Repaints the client area (after a button's state changed); the labels
    // follow the buttons' states for the keyboard and readers.
    void repaintButtons();

    // Paints the tile from the client area's top-left corner and every drawn
    // button in order, inactive ones too.
    virtual void Form_Paint(QPainter& p);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void done(int r) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    class ClientArea;
    QRect tabRect() const;
    void syncButtonLabels();

    Frame m_frame;
    ClientArea* m_client = nullptr;
    QToolButton* m_close = nullptr;
    QPixmap m_tile;
    std::vector<CButton> m_buttons;
    QList<QPointer<ClickLabel>> m_labels;
    QList<QPointer<QLabel>> m_icons;
    QList<QPointer<QShortcut>> m_shortcuts;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
