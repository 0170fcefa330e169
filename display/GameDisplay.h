#pragma once
// The game output `rtbDisplay`: a scroll area that shows a DisplayBuffer,
// word-wrapped at the viewport's width in character columns of a fixed-pitch
// font, painting only the visible rows and at most once per frame.
//
// Its operations are named as the windows call them. Text is only ever
// appended at the end: the insertion point (selStart) is kept for callers that
// read it back, but every insert appends. The one replace the program uses is
// the trim: insertion point 0 with a selection length n makes the next insert
// remove the first n characters before appending.
//
// The mouse selection is a view thing, separate from the insertion point.
#include "display/DisplayBuffer.h"
#include "ui/DisplaySink.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>

class QMenu;
class QTimer;

class GameDisplay : public QAbstractScrollArea, public DisplaySink {
    Q_OBJECT
public:
    explicit GameDisplay(QWidget* parent = nullptr);
    ~GameDisplay() override;

    int textLength() const { return m_buffer.length(); }
    int selStart() const;
    void setSelStart(int pos);
    void setSelColor(QRgb colour) override { m_colour = colour; }
    QRgb selColor() const { return m_colour; }
    void setSelBold(bool bold) override { m_bold = bold; }
    bool selBold() const { return m_bold; }
    void setSelStyle(const TextStyle& style) override { m_style = style; }
    const TextStyle& selStyle() const { return m_style; }
    void insertText(QStringView text) override;
    int lineFromChar(int pos) const { return m_buffer.lineFromChar(pos); }
    int lastLine() const override { return m_buffer.lastLine(); }
    void removeLeadingLines(int n) override;
    // Repaints now-ish (at the next frame), bringing the scroll bar up to date.
    void refresh();
    // While frozen nothing asks for a repaint; unfreezing repaints once.
    void setUpdatesFrozen(bool frozen);
    bool updatesFrozen() const { return m_frozen; }
    const DisplayBuffer& buffer() const { return m_buffer; }
    // The face and size of the text; the columns follow.
    void setDisplayFont(const QFont& font);

    // Scrolling, in pages of visible rows (Page Up / Page Down in the input
    // line) or to the newest text, which the view then follows again.
    void scrollPages(int delta);
    void scrollToBottom();
    bool followsBottom() const { return m_follow; }
    // Row shown at the top of the view, counted from the first buffer row.
    int topRow() const;

    // The bell: the view lightens for a moment (a BEL in the text does it).
    void flash();
    bool isFlashing() const;

    // Visible size in character cells (reported to the server).
    int columns() const { return m_buffer.wrapColumns(); }
    int rows() const { return m_rows; }
    QSizeF cellSize() const { return {m_cellWidth, qreal(m_lineHeight)}; }

    // The view's selection, as buffer positions; empty when start == end.
    bool hasSelection() const;
    int selectionStart() const;
    int selectionEnd() const;
    void setSelection(int anchor, int position);
    QString selectedText() const;
    void selectAll();
    void clearSelection();
    // Copies the selection as plain text to the clipboard.
    void copy();
    // The buffer position under a viewport point (nearest character boundary).
    int positionAt(const QPoint& viewportPoint) const;
    // The reading caret: the moving end of the selection. Arrows, Home, End
    // and Ctrl+Home/End move it (with Shift they select), so a reader can go
    // through the text line by line.
    int caret() const { return int(m_selPos - m_buffer.removedChars()); }
    void moveCaret(int pos, bool select);
    // The n-th newest line that is not blank (1 the newest); empty when none.
    QString recentLine(int n) const;
    // While on (or while a screen reader listens) each batch of new text is
    // handed to textAnnounced() once it is shown.
    void setAnnouncing(bool on) { m_announcing = on; }
    // The context menu ("Copia", "Seleziona tutto"); the caller owns it.
    QMenu* createContextMenu(QWidget* parent);
    // The rectangle of the character at pos, in viewport coordinates.
    QRect characterRect(int pos) const;
    // Scrolls just enough to show the row of pos.
    void ensureVisible(int pos);
    // Selects start .. end and shows it: a range out of view is brought to
    // the middle of it. The view then stays where it is while text arrives,
    // until it is scrolled to the newest text again.
    void showRange(int start, int end);

signals:
    void mouseMoved();
    void focusReceived();
    // The visible columns or rows changed.
    void viewSizeChanged(int columns, int rows);
    // New text, as shown since the last batch (lines split by '\n').
    void textAnnounced(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void contentChanged();
    void repaintWithinFrame();
    void syncLayout();
    void updateColumns();
    void setTopRow(qint64 absoluteRow);
    qint64 maxTopRow() const;
    qint64 effectiveTopRow() const;
    void notifyAccessibleInsert();
    void notifyAccessibleSelection();
    void selectWordAt(int pos);
    bool moveCaretByKey(QKeyEvent* event);

    DisplayBuffer m_buffer;
    QFont m_font;
    QFont m_boldFont;
    // The face for each mix of bold, italic, underline and strike (the low
    // four bits of TextStyle's flags), made when first drawn.
    mutable QFont m_styledFonts[16];
    mutable bool m_styledMade[16] = {};
    const QFont& fontFor(const DisplayBuffer::Run& run) const;
    qreal m_cellWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    int m_rows = 1;

    QRgb m_colour;
    bool m_bold = false;
    TextStyle m_style;
    int m_selStart = 0;

    bool m_follow = true;
    qint64 m_topRow = 0; // absolute row (see DisplayBuffer::removedRows)
    bool m_frozen = false;
    QTimer* m_flashTimer = nullptr;
    bool m_syncPosted = false;
    // New text repaints at once after a quiet spell, else at the next frame:
    // a flood read in many passes of the event loop is drawn once a frame.
    QElapsedTimer m_sincePaint;
    QTimer* m_frameTimer = nullptr;
    bool m_settingScrollBar = false;

    qint64 m_selAnchor = 0; // absolute positions (see DisplayBuffer::removedChars)
    qint64 m_selPos = 0;
    bool m_dragging = false;

    qint64 m_accessiblePending = -1; // absolute start of text not yet announced
    bool m_accessibleLooked = false; // whether a reader was looked for since the last refresh
    bool m_announcing = false;
};
