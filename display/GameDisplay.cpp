#include "display/GameDisplay.h"

#include "display/DisplayAccessible.h"
#include "ui/DisplayFont.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
// Posted once per batch of changes: scroll bar and repaint follow at most
// once per pass of the event loop, however many pieces arrived.
const QEvent::Type kSyncEvent = QEvent::Type(QEvent::registerEventType());
constexpr int kMargin = 2;
const QColor kBackground(0, 0, 0);
// New text is drawn at most this often.
constexpr int kFrameMs = 16;
// The bell: the view lightens this long.
constexpr int kFlashMs = 150;
const QColor kFlash(96, 96, 96);

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}
} // namespace

GameDisplay::GameDisplay(QWidget* parent)
    : QAbstractScrollArea(parent), m_colour(qRgb(255, 255, 255)) {
    setObjectName(QStringLiteral("rtbDisplay"));
    DisplayAccessible::install();

    setDisplayFont(DisplayFont::make());

    // Always shown: a bar that came and went would change the width and rewrap.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kBackground);
    pal.setColor(QPalette::Window, kBackground);
    viewport()->setPalette(pal);
    updateColumns();
}

GameDisplay::~GameDisplay() = default;

void GameDisplay::setDisplayFont(const QFont& font) {
    m_font = font;
    m_boldFont = m_font;
    m_boldFont.setBold(true);
    for (bool& made : m_styledMade)
        made = false;
    setFont(m_font);
    const QFontMetricsF fm(m_font);
    m_cellWidth = std::max<qreal>(1, fm.horizontalAdvance(QLatin1Char('M')));
    m_lineHeight = std::max(1, int(std::ceil(fm.height())));
    m_ascent = int(std::ceil(fm.ascent()));
    updateColumns();
}

int GameDisplay::selStart() const {
    return std::clamp(m_selStart, 0, m_buffer.length());
}

void GameDisplay::setSelStart(int pos) {
    m_selStart = std::clamp(pos, 0, m_buffer.length());
}

void GameDisplay::insertText(QStringView text) {
    if (!text.isEmpty()) {
        // A screen reader is switched on from the event loop, so one look per
        // batch of inserts (up to the next refresh) sees what a look per
        // insert would.
        if (m_accessiblePending < 0 && !m_accessibleLooked) {
            m_accessibleLooked = !m_frozen;
            if (m_announcing || QAccessible::isActive())
                m_accessiblePending = m_buffer.removedChars() + m_buffer.length();
        }
        const qint64 bells = m_buffer.bells();
        m_buffer.append(text, m_colour, m_bold || m_style.has(TextStyle::Bold), m_style);
        if (m_buffer.bells() != bells)
            flash();
        if (m_accessiblePending > m_buffer.removedChars() + m_buffer.length())
            m_accessiblePending = m_buffer.removedChars() + m_buffer.length(); // a backspace
        contentChanged();
    }
    m_selStart = m_buffer.length();
}

void GameDisplay::flash() {
    if (!m_flashTimer) {
        m_flashTimer = new QTimer(this);
        m_flashTimer->setSingleShot(true);
        connect(m_flashTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    }
    m_flashTimer->start(kFlashMs);
    viewport()->update();
}

bool GameDisplay::isFlashing() const {
    return m_flashTimer && m_flashTimer->isActive();
}

const QFont& GameDisplay::fontFor(const DisplayBuffer::Run& run) const {
    constexpr quint8 kTypeFlags = TextStyle::Italic | TextStyle::Underline | TextStyle::Strike;
    const int key = (run.flags & kTypeFlags) | (run.bold ? TextStyle::Bold : 0);
    if (key == 0)
        return m_font;
    if (key == TextStyle::Bold)
        return m_boldFont;
    if (!m_styledMade[key]) {
        QFont f = m_font;
        f.setBold(key & TextStyle::Bold);
        f.setItalic(key & TextStyle::Italic);
        f.setUnderline(key & TextStyle::Underline);
        f.setStrikeOut(key & TextStyle::Strike);
        m_styledFonts[key] = f;
        m_styledMade[key] = true;
    }
    return m_styledFonts[key];
}

void GameDisplay::removeLeadingLines(int n) {
    n = std::min(n, m_buffer.lastLine());
    if (n <= 0)
        return;
    const int chars = m_buffer.lineStart(n);
    if (QAccessible::isActive()) {
        QAccessibleTextRemoveEvent ev(this, 0, m_buffer.mid(0, chars));
        QAccessible::updateAccessibility(&ev);
    }
    const int oldLength = m_buffer.length();
    m_buffer.removeLeadingLines(n);
    const int removed = oldLength - m_buffer.length();
    m_selStart = std::max(0, m_selStart - removed);
    const qint64 origin = m_buffer.removedChars();
    m_selAnchor = std::max(m_selAnchor, origin);
    m_selPos = std::max(m_selPos, origin);
    if (m_accessiblePending >= 0)
        m_accessiblePending = std::max(m_accessiblePending, origin);
    contentChanged();
}

void GameDisplay::contentChanged() {
    if (m_frozen || m_syncPosted)
        return;
    m_syncPosted = true;
    QCoreApplication::postEvent(this, new QEvent(kSyncEvent));
}

bool GameDisplay::event(QEvent* e) {
    if (e->type() == kSyncEvent) {
        m_syncPosted = false;
        refresh();
        return true;
    }
    return QAbstractScrollArea::event(e);
}

void GameDisplay::refresh() {
    m_accessibleLooked = false;
    syncLayout();
    notifyAccessibleInsert();
    if (!m_frozen)
        repaintWithinFrame();
}

void GameDisplay::repaintWithinFrame() {
    const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kFrameMs;
    if (since >= kFrameMs) {
        viewport()->update();
        return;
    }
    if (!m_frameTimer) {
        m_frameTimer = new QTimer(this);
        m_frameTimer->setSingleShot(true);
        m_frameTimer->setTimerType(Qt::PreciseTimer);
        connect(m_frameTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    }
    if (!m_frameTimer->isActive())
        m_frameTimer->start(int(kFrameMs - since));
}

void GameDisplay::setUpdatesFrozen(bool frozen) {
    if (m_frozen == frozen)
        return;
    m_frozen = frozen;
    if (!frozen)
        contentChanged();
}

qint64 GameDisplay::maxTopRow() const {
    return m_buffer.removedRows() + std::max(0, m_buffer.rowCount() - m_rows);
}

qint64 GameDisplay::effectiveTopRow() const {
    if (m_follow)
        return maxTopRow();
    return std::clamp(m_topRow, m_buffer.removedRows(), maxTopRow());
}

int GameDisplay::topRow() const {
    return int(effectiveTopRow() - m_buffer.removedRows());
}

void GameDisplay::syncLayout() {
    m_topRow = effectiveTopRow();
    QScrollBar* bar = verticalScrollBar();
    const qint64 origin = m_buffer.removedRows();
    m_settingScrollBar = true;
    bar->setRange(0, int(maxTopRow() - origin));
    bar->setPageStep(m_rows);
    bar->setValue(int(m_topRow - origin));
    m_settingScrollBar = false;
}

void GameDisplay::setTopRow(qint64 absoluteRow) {
    const qint64 maxTop = maxTopRow();
    m_topRow = std::clamp(absoluteRow, m_buffer.removedRows(), maxTop);
    m_follow = m_topRow >= maxTop;
    syncLayout();
    viewport()->update();
}

void GameDisplay::scrollContentsBy(int, int) {
    if (m_settingScrollBar)
        return;
    // The player moved the scroll bar (or the wheel did).
    const QScrollBar* bar = verticalScrollBar();
    m_topRow = m_buffer.removedRows() + bar->value();
    m_follow = bar->value() >= bar->maximum();
    viewport()->update();
}

void GameDisplay::scrollPages(int delta) {
    setTopRow(effectiveTopRow() + qint64(delta) * std::max(1, m_rows));
}

void GameDisplay::scrollToBottom() {
    m_follow = true;
    syncLayout();
    viewport()->update();
}

void GameDisplay::updateColumns() {
    const int cols = std::max(1, int((viewport()->width() - 2 * kMargin) / m_cellWidth));
    const int rows = std::max(1, viewport()->height() / m_lineHeight);
    const int oldCols = m_buffer.wrapColumns();
    if (cols != oldCols) {
        // Keep the text at the top of a scrolled-up view in place.
        const int top = topRow();
        const int line = m_buffer.lineFromRow(top);
        const qint64 offset = qint64(top - m_buffer.lineFirstRow(line)) * oldCols;
        m_buffer.setWrapColumns(cols);
        m_topRow = m_buffer.removedRows() + m_buffer.lineFirstRow(line) + offset / cols;
    }
    const bool changed = cols != oldCols || rows != m_rows;
    m_rows = rows;
    syncLayout();
    viewport()->update();
    if (changed)
        emit viewSizeChanged(cols, rows);
}

void GameDisplay::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateColumns();
}

void GameDisplay::paintEvent(QPaintEvent* event) {
    m_sincePaint.start();
    QPainter p(viewport());
    const QRect area = event->rect();
    p.fillRect(area, isFlashing() ? kFlash : kBackground);
    const int cols = m_buffer.wrapColumns();
    const int rowCount = m_buffer.rowCount();
    const int top = topRow();
    int row = top + std::max(0, area.top()) / m_lineHeight;
    const int lastRow = std::min(rowCount - 1, top + area.bottom() / m_lineHeight);
    if (row > lastRow)
        return;
    const int selFrom = hasSelection() ? selectionStart() : -1;
    const int selTo = hasSelection() ? selectionEnd() : -1;
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightText = palette().color(QPalette::HighlightedText);

    int line = m_buffer.lineFromRow(row);
    for (; row <= lastRow; ++row) {
        while (line < m_buffer.lastLine() && m_buffer.lineFirstRow(line + 1) <= row)
            ++line;
        const QString& text = m_buffer.lineText(line);
        const int lineStart = m_buffer.lineStart(line);
        const int segStart = (row - m_buffer.lineFirstRow(line)) * cols;
        const int segEnd = std::min<int>(segStart + cols, int(text.size()));
        const bool lastRowOfLine = segStart + cols >= text.size();
        const int y = (row - top) * m_lineHeight;

        const auto& runs = m_buffer.runsOf(line);
        auto first = std::upper_bound(
            runs.begin(), runs.end(), segStart,
            [](int v, const DisplayBuffer::Run& r) { return v < r.start + r.length; });
        // Backgrounds the server chose, under the selection.
        for (auto it = first; it != runs.end() && it->start < segEnd; ++it) {
            if (!(it->flags & TextStyle::Background))
                continue;
            const int a = std::max(it->start, segStart),
                      b = std::min(it->start + it->length, segEnd);
            p.fillRect(QRectF(kMargin + (a - segStart) * m_cellWidth, y, (b - a) * m_cellWidth,
                              m_lineHeight),
                       QColor(it->background));
        }

        // Selection background, in line offsets; a selected break shows as one cell.
        if (selFrom >= 0) {
            int a = std::max(selFrom - lineStart, segStart);
            int b = std::min(selTo - lineStart, segEnd);
            if (lastRowOfLine && selFrom - lineStart <= segEnd && selTo - lineStart > segEnd)
                b = segEnd + 1;
            if (b > a)
                p.fillRect(QRectF(kMargin + (a - segStart) * m_cellWidth, y, (b - a) * m_cellWidth,
                                  m_lineHeight),
                           highlight);
        }

        for (auto it = first; it != runs.end() && it->start < segEnd; ++it) {
            const int runFrom = std::max(it->start, segStart);
            const int runTo = std::min(it->start + it->length, segEnd);
            p.setFont(fontFor(*it));
            // Split at the selection's edges so selected text takes its own colour.
            int cuts[4] = {runFrom, runTo, runTo, runTo};
            if (selFrom >= 0) {
                cuts[1] = std::clamp(selFrom - lineStart, runFrom, runTo);
                cuts[2] = std::clamp(selTo - lineStart, cuts[1], runTo);
            }
            for (int k = 0; k < 3; ++k) {
                const int a = cuts[k], b = cuts[k + 1];
                if (b <= a)
                    continue;
                QString piece = text.mid(a, b - a);
                // Control characters would print nothing and shift the columns.
                for (QChar& c : piece)
                    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                        c = u' ';
                p.setPen(k == 1 && selFrom >= 0 ? highlightText : QColor(it->colour));
                p.drawText(QPointF(kMargin + (a - segStart) * m_cellWidth, y + m_ascent), piece);
            }
        }
    }
    // The reading caret, in the gap before its character.
    if (hasFocus()) {
        const QRect c = characterRect(caret());
        p.fillRect(QRect(c.left() - 1, c.top(), 1, c.height()), QColor(255, 255, 255));
    }
}

int GameDisplay::positionAt(const QPoint& pt) const {
    const int rowCount = m_buffer.rowCount();
    if (pt.y() < 0 && topRow() == 0)
        return 0;
    const int row = topRow() + int(std::floor(qreal(pt.y()) / m_lineHeight));
    if (row < 0)
        return 0;
    if (row >= rowCount)
        return m_buffer.length();
    const int cols = m_buffer.wrapColumns();
    const int line = m_buffer.lineFromRow(row);
    const int segStart = (row - m_buffer.lineFirstRow(line)) * cols;
    const int col = std::clamp(int(std::lround((pt.x() - kMargin) / m_cellWidth)), 0, cols);
    const int within = std::min(segStart + col, m_buffer.lineLength(line));
    return m_buffer.lineStart(line) + within;
}

QRect GameDisplay::characterRect(int pos) const {
    pos = std::clamp(pos, 0, m_buffer.length());
    const int cols = m_buffer.wrapColumns();
    const int line = m_buffer.lineFromChar(pos);
    const int offset = pos - m_buffer.lineStart(line);
    const int row = m_buffer.lineFirstRow(line) +
                    std::min(offset, std::max(0, m_buffer.lineLength(line) - 1)) / cols;
    const int col = offset - (row - m_buffer.lineFirstRow(line)) * cols;
    return QRectF(kMargin + col * m_cellWidth, (row - topRow()) * m_lineHeight, m_cellWidth,
                  m_lineHeight)
        .toAlignedRect();
}

void GameDisplay::ensureVisible(int pos) {
    pos = std::clamp(pos, 0, m_buffer.length());
    const int line = m_buffer.lineFromChar(pos);
    const int offset = pos - m_buffer.lineStart(line);
    const int row = m_buffer.lineFirstRow(line) + offset / m_buffer.wrapColumns();
    const int top = topRow();
    if (row < top)
        setTopRow(m_buffer.removedRows() + row);
    else if (row >= top + m_rows)
        setTopRow(m_buffer.removedRows() + row - m_rows + 1);
}

bool GameDisplay::hasSelection() const {
    return m_selAnchor != m_selPos;
}

int GameDisplay::selectionStart() const {
    return int(std::min(m_selAnchor, m_selPos) - m_buffer.removedChars());
}

int GameDisplay::selectionEnd() const {
    return int(std::max(m_selAnchor, m_selPos) - m_buffer.removedChars());
}

void GameDisplay::setSelection(int anchor, int position) {
    const qint64 origin = m_buffer.removedChars();
    m_selAnchor = origin + std::clamp(anchor, 0, m_buffer.length());
    m_selPos = origin + std::clamp(position, 0, m_buffer.length());
    viewport()->update();
    notifyAccessibleSelection();
}

void GameDisplay::showRange(int start, int end) {
    start = std::clamp(start, 0, m_buffer.length());
    setSelection(start, end);
    const int line = m_buffer.lineFromChar(start);
    const int row =
        m_buffer.lineFirstRow(line) + (start - m_buffer.lineStart(line)) / m_buffer.wrapColumns();
    const int top = topRow();
    if (row < top || row >= top + m_rows)
        setTopRow(m_buffer.removedRows() + row - m_rows / 2);
    else
        m_topRow = effectiveTopRow();
    m_follow = false;
    syncLayout();
}

QString GameDisplay::selectedText() const {
    if (!hasSelection())
        return {};
    return m_buffer.mid(selectionStart(), selectionEnd() - selectionStart());
}

void GameDisplay::selectAll() {
    setSelection(0, m_buffer.length());
}

void GameDisplay::clearSelection() {
    setSelection(0, 0);
}

void GameDisplay::copy() {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void GameDisplay::selectWordAt(int pos) {
    const int line = m_buffer.lineFromChar(pos);
    const QString& text = m_buffer.lineText(line);
    const int start = m_buffer.lineStart(line);
    int i = pos - start;
    if (i >= text.size()) // a click past the end of a line takes its last character
        i = int(text.size()) - 1;
    if (i < 0)
        return;
    int from = i, to = i + 1;
    if (isWordChar(text[i])) {
        while (from > 0 && isWordChar(text[from - 1]))
            --from;
        while (to < text.size() && isWordChar(text[to]))
            ++to;
    }
    setSelection(start + from, start + to);
}

void GameDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int pos = positionAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(int(m_selAnchor - m_buffer.removedChars()), pos);
    else
        setSelection(pos, pos);
    m_dragging = true;
}

void GameDisplay::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint pt = event->position().toPoint();
    // Dragging past an edge scrolls one row per move.
    if (pt.y() < 0)
        setTopRow(effectiveTopRow() - 1);
    else if (pt.y() >= viewport()->height())
        setTopRow(effectiveTopRow() + 1);
    m_selPos = m_buffer.removedChars() + positionAt(pt);
    viewport()->update();
}

void GameDisplay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        QClipboard* clip = QGuiApplication::clipboard();
        if (hasSelection() && clip->supportsSelection())
            clip->setText(selectedText(), QClipboard::Selection);
        notifyAccessibleSelection();
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void GameDisplay::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    selectWordAt(positionAt(event->position().toPoint()));
    m_dragging = false;
}

void GameDisplay::moveCaret(int pos, bool select) {
    pos = std::clamp(pos, 0, m_buffer.length());
    setSelection(select ? int(m_selAnchor - m_buffer.removedChars()) : pos, pos);
    ensureVisible(pos);
}

QString GameDisplay::recentLine(int n) const {
    for (int line = m_buffer.lastLine(); line >= 0; --line) {
        const QString text = m_buffer.lineText(line).trimmed();
        if (!text.isEmpty() && --n == 0)
            return text;
    }
    return {};
}

bool GameDisplay::moveCaretByKey(QKeyEvent* event) {
    const bool select = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int pos = caret();
    const int line = m_buffer.lineFromChar(pos);
    const int column = pos - m_buffer.lineStart(line);
    auto toLine = [&](int l) {
        l = std::clamp(l, 0, m_buffer.lastLine());
        return m_buffer.lineStart(l) + std::min(column, m_buffer.lineLength(l));
    };
    switch (event->key()) {
    case Qt::Key_Left:
        moveCaret(pos - 1, select);
        return true;
    case Qt::Key_Right:
        moveCaret(pos + 1, select);
        return true;
    case Qt::Key_Up:
        moveCaret(toLine(line - 1), select);
        return true;
    case Qt::Key_Down:
        moveCaret(toLine(line + 1), select);
        return true;
    case Qt::Key_Home:
        moveCaret(ctrl ? 0 : m_buffer.lineStart(line), select);
        return true;
    case Qt::Key_End:
        if (ctrl) {
            moveCaret(m_buffer.length(), select);
            scrollToBottom();
        } else {
            moveCaret(m_buffer.lineStart(line) + m_buffer.lineLength(line), select);
        }
        return true;
    default:
        return false;
    }
}

void GameDisplay::keyPressEvent(QKeyEvent* event) {
    if (moveCaretByKey(event)) {
        // handled
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->key() == Qt::Key_PageUp) {
        scrollPages(-1);
    } else if (event->key() == Qt::Key_PageDown) {
        scrollPages(1);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

QMenu* GameDisplay::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* copyAction = menu->addAction(QStringLiteral("Copia"), this, &GameDisplay::copy);
    copyAction->setEnabled(hasSelection());
    menu->addAction(QStringLiteral("Seleziona tutto"), this, &GameDisplay::selectAll);
    return menu;
}

void GameDisplay::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void GameDisplay::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // A reader arriving without a place to read from starts at the newest line.
    if (!hasSelection() && caret() >= m_buffer.length() && m_buffer.length() > 0) {
        int line = m_buffer.lastLine();
        if (line > 0 && m_buffer.lineLength(line) == 0)
            --line;
        moveCaret(m_buffer.lineStart(line), false);
    }
    viewport()->update();
    emit focusReceived();
}

void GameDisplay::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void GameDisplay::notifyAccessibleInsert() {
    if (m_accessiblePending < 0)
        return;
    const int from =
        int(std::max(m_accessiblePending, m_buffer.removedChars()) - m_buffer.removedChars());
    m_accessiblePending = -1;
    if (from >= m_buffer.length())
        return;
    const QString text = m_buffer.mid(from, m_buffer.length() - from);
    if (QAccessible::isActive()) {
        QAccessibleTextInsertEvent ev(this, from, text);
        QAccessible::updateAccessibility(&ev);
    }
    if (m_announcing || QAccessible::isActive())
        emit textAnnounced(text);
}

// A reader hears what was selected (a found text, a word picked by a reader).
void GameDisplay::notifyAccessibleSelection() {
    if (!QAccessible::isActive())
        return;
    const int from = hasSelection() ? selectionStart() : selectionEnd();
    const int to = selectionEnd();
    QAccessibleTextSelectionEvent selection(this, from, to);
    QAccessible::updateAccessibility(&selection);
    QAccessibleTextCursorEvent cursor(this, to);
    QAccessible::updateAccessibility(&cursor);
}
