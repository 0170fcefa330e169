#include "client/FrmTrova.h"

#include "display/DisplaySearch.h"
#include "display/GameDisplay.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

FrmTrova::FrmTrova(GameDisplay& display, QWidget* parent) : QDialog(parent), m_display(&display) {
    setObjectName(QStringLiteral("frmTrova"));
    setWindowTitle(QStringLiteral("Trova"));
    setModal(false);

    auto* caption = new QLabel(QStringLiteral("&Testo da cercare:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtTrova"));
    caption->setBuddy(m_text);

    m_next = new QPushButton(QStringLiteral("&Successivo"), this);
    m_next->setObjectName(QStringLiteral("cmdSuccessivo"));
    m_previous = new QPushButton(QStringLiteral("&Precedente"), this);
    m_previous->setObjectName(QStringLiteral("cmdPrecedente"));
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), this);
    close->setObjectName(QStringLiteral("cmdChiudi"));
    // Enter is the window's own (next, or previous with Shift), whatever has
    // the focus.
    for (QPushButton* b : {m_next, m_previous, close})
        b->setAutoDefault(false);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblEsito"));
    m_result->setMinimumWidth(260);
    // The longest result ("..., ripartendo dall'inizio") wraps, never cut.
    m_result->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_next);
    buttons->addWidget(m_previous);
    buttons->addWidget(close);
    auto* grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->addWidget(m_result, 2, 0, 1, 2);

    connect(m_next, &QPushButton::clicked, this, &FrmTrova::findNext);
    connect(m_previous, &QPushButton::clicked, this, &FrmTrova::findPrevious);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+G")), this), &QShortcut::activated,
            this, &FrmTrova::findNext);
    connect(new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+G")), this),
            &QShortcut::activated, this, &FrmTrova::findPrevious);
    // A new text starts from what the display shows.
    connect(m_text, &QLineEdit::textEdited, this, [this] {
        m_matchStart = -1;
        say(QString());
    });
}

void FrmTrova::present() {
    show();
    raise();
    activateWindow();
    m_text->setFocus();
    m_text->selectAll();
}

bool FrmTrova::findNext() {
    return find(true);
}

bool FrmTrova::findPrevious() {
    return find(false);
}

bool FrmTrova::find(bool forward) {
    const QString needle = m_text->text();
    if (needle.isEmpty()) {
        say(QStringLiteral("Scrivere il testo da cercare"));
        return false;
    }
    if (!m_display)
        return false;
    const DisplayBuffer& buffer = m_display->buffer();
    const qint64 origin = buffer.removedChars();
    int from;
    if (m_matchStart >= 0) {
        // From the last match; if it has left the display, from its start.
        const qint64 at = forward ? m_matchStart + m_matchLength : m_matchStart;
        from = int(std::max<qint64>(0, at - origin));
    } else {
        // First search: from the top of the view forward, from its end back.
        const int y = forward ? 0 : m_display->viewport()->height();
        from = m_display->positionAt(QPoint(0, y));
    }
    const auto direction =
        forward ? DisplaySearch::Direction::Forward : DisplaySearch::Direction::Backward;
    const DisplaySearch::Match match = DisplaySearch::find(buffer, needle, from, direction);
    if (!match.found()) {
        m_matchStart = -1;
        m_display->clearSelection();
        say(QStringLiteral("Testo non trovato"));
        return false;
    }
    m_matchStart = origin + match.start;
    m_matchLength = match.length;
    m_display->showRange(match.start, match.start + match.length);
    const int line = buffer.lineFromChar(match.start);
    QString where =
        QStringLiteral("Trovato alla riga %1 di %2").arg(line + 1).arg(buffer.lineCount());
    if (match.wrapped)
        where += forward ? QStringLiteral(", ripartendo dall'inizio")
                         : QStringLiteral(", ripartendo dalla fine");
    say(where);
    return true;
}

void FrmTrova::say(const QString& text) {
    m_result->setText(text);
    if (!text.isEmpty())
        emit resultShown(text);
}

void FrmTrova::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        const auto mods = e->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
            find(mods == Qt::NoModifier);
            e->accept();
            return;
        }
    }
    QDialog::keyPressEvent(e);
}

void FrmTrova::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    m_matchStart = -1;
    if (m_display)
        m_display->scrollToBottom();
}
