#include "commands/MainButtons.h"

#include "ui/ClickLabel.h"

#include <QEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace {

int cellIndex(const QObject* o) {
    return o->property("lblShpIndex").toInt();
}

QKeySequence barKey(int n) {
    return QKeySequence(Qt::Key(Qt::Key_F1 + n - 1));
}

} // namespace

MainButtons::MainButtons(QWidget* surface, ButtonBar& bar, CButton& connectButton,
                         CButton& disconnectButton, QObject* parent)
    : QObject(parent), m_surface(surface), m_bar(bar), m_connect(connectButton),
      m_disconnect(disconnectButton) {
    // The connection pair first, then the bar: the order Tab walks them in.
    for (int n : {9, 10, 1, 2, 3, 4, 5, 6, 7, 8}) {
        auto* cell = new ClickLabel(surface);
        cell->setObjectName(QStringLiteral("lblShp_%1").arg(n));
        cell->setProperty("lblShpIndex", n);
        cell->setMouseTracking(true);
        cell->installEventFilter(this);
        cell->setButton([this, n] { return &buttonOfCell(n); });
        if (n <= 8)
            cell->setKeyHint(barKey(n).toString(QKeySequence::NativeText));
        connect(cell, &ClickLabel::clicked, this, [this, n] { clickCell(n); });
        m_cells[n] = cell;
    }
    placeCells();
    // Moving over the bare surface leaves every button.
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
}

MainButtons::~MainButtons() {
    if (m_surface)
        m_surface->removeEventFilter(this);
}

void MainButtons::clearHoverOver(QWidget* w) {
    if (!w)
        return;
    w->setMouseTracking(true);
    w->installEventFilter(this);
    m_leaveWatched.insert(w);
    connect(w, &QObject::destroyed, this, [this, w] { m_leaveWatched.remove(w); });
}

void MainButtons::installKeys(QWidget* window) {
    for (int n = 1; n <= 8; ++n) {
        auto* key = new QShortcut(barKey(n), window);
        key->setObjectName(QStringLiteral("keyF%1").arg(n));
        key->setContext(Qt::ApplicationShortcut);
        connect(key, &QShortcut::activated, this, [this, n] {
            // A key on a button that does nothing says so instead of nothing.
            const CButton& b = buttonOfCell(n);
            if (b.Caption().trimmed().isEmpty())
                emit notice(QStringLiteral("F%1: bottone vuoto").arg(n));
            else if (!b.Attivo())
                emit notice(QStringLiteral("F%1: %2, non attivo").arg(n).arg(b.Caption()));
            else
                clickCell(n);
        });
    }
}

CButton& MainButtons::buttonOfCell(int n) {
    Q_ASSERT(n >= 1 && n <= kCells);
    if (n == 9)
        return m_connect;
    if (n == 10)
        return m_disconnect;
    return m_bar[size_t(n - 1)];
}

ClickLabel* MainButtons::cell(int n) const {
    return n >= 1 && n <= kCells ? m_cells[n] : nullptr;
}

std::array<CButton*, MainButtons::kCells> MainButtons::allButtons() {
    std::array<CButton*, kCells> all{};
    for (int n = 1; n <= kCells; ++n)
        all[size_t(n - 1)] = &buttonOfCell(n);
    return all;
}

void MainButtons::placeCells() {
    // Each cell covers the 80 x 20 of a style 3 button, whatever its style.
    for (int n = 1; n <= kCells; ++n) {
        const CButton& b = buttonOfCell(n);
        m_cells[n]->setGeometry(int(b.Left()), int(b.Top()), CButton::kStyle3Width,
                                CButton::kStyle3Height);
        m_cells[n]->raise();
    }
}

void MainButtons::hoverCell(int n) {
    if (n < 1 || n > kCells)
        return;
    CButton& target = buttonOfCell(n);
    bool changed = false;
    for (CButton* b : allButtons()) {
        const bool want = b == &target && b->Attivo();
        if (b->Selezionato() != want) {
            b->setSelezionato(want);
            changed = true;
        }
    }
    if (changed)
        RepaintMain();
}

void MainButtons::ClearHover() {
    bool changed = false;
    for (CButton* b : allButtons()) {
        changed = changed || b->Selezionato();
        b->setSelezionato(false);
    }
    if (changed)
        RepaintMain();
}

void MainButtons::showConnected(bool connected) {
    m_disconnect.setAttivo(connected);
    m_connect.setAttivo(!connected);
    RepaintMain();
}

void MainButtons::clickCell(int n) {
    if (n >= 1 && n <= 8) {
        const CButton& b = m_bar[size_t(n - 1)];
        if (b.Attivo())
            emit barButtonPressed(b);
    } else if (n == 9) {
        if (m_connect.Attivo())
            emit connettiPressed();
    } else if (n == 10) {
        if (m_disconnect.Attivo())
            emit disconnettiPressed();
    }
}

void MainButtons::RepaintMain() {
    if (m_surface)
        m_surface->update();
    for (int n = 1; n <= kCells; ++n)
        m_cells[n]->syncState();
}

bool MainButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_surface) {
        if (event->type() == QEvent::MouseMove)
            ClearHover();
        return false;
    }
    const int n = cellIndex(watched);
    if (n >= 1 && n <= kCells && watched == m_cells[n]) {
        // Consumed, so that the surface underneath does not clear the hover.
        // The second press of a double click arrives as a double click and
        // sends nothing, so a quick double click does not send twice.
        if (event->type() == QEvent::MouseMove) {
            hoverCell(n);
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            clickCell(n);
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::MouseMove && m_leaveWatched.contains(watched))
        ClearHover();
    return QObject::eventFilter(watched, event);
}
