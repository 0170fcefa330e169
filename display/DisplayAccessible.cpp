#include "display/DisplayAccessible.h"

#include "display/GameDisplay.h"

#include <algorithm>

namespace {
QAccessibleInterface* displayFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("GameDisplay") && object && object->isWidgetType())
        return new DisplayAccessible(static_cast<GameDisplay*>(object));
    return nullptr;
}

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}
} // namespace

DisplayAccessible::DisplayAccessible(GameDisplay* display)
    : QAccessibleWidget(display, QAccessible::EditableText) {}

void DisplayAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(displayFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

GameDisplay* DisplayAccessible::display() const {
    return static_cast<GameDisplay*>(widget());
}

void* DisplayAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString DisplayAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return QStringLiteral("Testo del gioco");
    case QAccessible::Value:
        return display()->buffer().text();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State DisplayAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void DisplayAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && display()->hasSelection()) {
        *startOffset = display()->selectionStart();
        *endOffset = display()->selectionEnd();
    }
}

int DisplayAccessible::selectionCount() const {
    return display()->hasSelection() ? 1 : 0;
}

void DisplayAccessible::addSelection(int startOffset, int endOffset) {
    display()->setSelection(startOffset, endOffset);
}

void DisplayAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        display()->clearSelection();
}

void DisplayAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        display()->setSelection(startOffset, endOffset);
}

// The reading cursor is the moving end of the view's selection; the insertion
// point always sits at the end and is of no use to a reader.
int DisplayAccessible::cursorPosition() const {
    const GameDisplay* d = display();
    return d->hasSelection() ? d->selectionEnd() : d->selectionStart();
}

void DisplayAccessible::setCursorPosition(int position) {
    display()->setSelection(position, position);
    display()->ensureVisible(position);
}

QString DisplayAccessible::text(int startOffset, int endOffset) const {
    return display()->buffer().mid(startOffset, endOffset - startOffset);
}

QString DisplayAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int* startOffset, int* endOffset) const {
    const DisplayBuffer& b = display()->buffer();
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > b.length())
        return {};
    if (offset == b.length() && boundaryType != QAccessible::LineBoundary &&
        boundaryType != QAccessible::ParagraphBoundary)
        return {};
    const int line = b.lineFromChar(offset);
    const int lineStart = b.lineStart(line);
    const QString& lineText = b.lineText(line);
    switch (boundaryType) {
    case QAccessible::CharBoundary:
        *startOffset = offset;
        *endOffset = offset + 1;
        break;
    case QAccessible::WordBoundary: {
        int i = offset - lineStart;
        if (i >= lineText.size() || !isWordChar(lineText[i])) {
            *startOffset = offset;
            *endOffset = offset + 1;
            break;
        }
        int from = i, to = i + 1;
        while (from > 0 && isWordChar(lineText[from - 1]))
            --from;
        while (to < lineText.size() && isWordChar(lineText[to]))
            ++to;
        *startOffset = lineStart + from;
        *endOffset = lineStart + to;
        break;
    }
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
    case QAccessible::SentenceBoundary:
        // A line includes its break, as readers expect.
        *startOffset = lineStart;
        *endOffset = lineStart + int(lineText.size()) + (line < b.lastLine() ? 1 : 0);
        break;
    case QAccessible::NoBoundary:
        *startOffset = 0;
        *endOffset = b.length();
        break;
    }
    return b.mid(*startOffset, *endOffset - *startOffset);
}

int DisplayAccessible::characterCount() const {
    return display()->buffer().length();
}

QRect DisplayAccessible::characterRect(int offset) const {
    const GameDisplay* d = display();
    const QRect r = d->characterRect(offset);
    return QRect(d->viewport()->mapToGlobal(r.topLeft()), r.size());
}

int DisplayAccessible::offsetAtPoint(const QPoint& point) const {
    const GameDisplay* d = display();
    const QPoint local = d->viewport()->mapFromGlobal(point);
    if (!d->viewport()->rect().contains(local))
        return -1;
    return d->positionAt(local);
}

void DisplayAccessible::scrollToSubstring(int startIndex, int endIndex) {
    display()->ensureVisible(endIndex);
    display()->ensureVisible(startIndex);
}

QString DisplayAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    const DisplayBuffer& b = display()->buffer();
    *startOffset = *endOffset = offset;
    if (offset < 0 || offset >= b.length())
        return {};
    const int line = b.lineFromChar(offset);
    const int lineStart = b.lineStart(line);
    const int within = offset - lineStart;
    for (const DisplayBuffer::Run& r : b.runsOf(line)) {
        if (within >= r.start && within < r.start + r.length) {
            *startOffset = lineStart + r.start;
            *endOffset = lineStart + r.start + r.length;
            const QColor c(r.colour);
            return QStringLiteral("color:rgb(%1,%2,%3);font-weight:%4;")
                .arg(c.red())
                .arg(c.green())
                .arg(c.blue())
                .arg(r.bold ? QStringLiteral("bold") : QStringLiteral("normal"));
        }
    }
    *endOffset = offset + 1;
    return {};
}
