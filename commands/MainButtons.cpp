#include "commands/MainButtons.h"

#include "ui/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace {

// Fixed edges of the window design, in twips.
constexpr int kDisplayLeft = 120, kDisplayTop = 960;
constexpr int kComboLeft = 120;
constexpr int kRightMargin = 350, kDisplayBottomMargin = 2100, kComboBottomMargin = 1100;

int cellIndex(const QObject* o) {
    return o->property("lblShpIndex").toInt();
}

void drawPicture(QPainter& p, const QPixmap& pix, const QRect& r) {
    if (pix.isNull())
        return;
    if (r.size().isEmpty())
        p.drawPixmap(r.topLeft(), pix);
    else
        p.drawPixmap(r, pix);
}

} // namespace

MainButtons::MainButtons(QWidget* surface, ButtonBar& bar, CButton& connectButton,
                         CButton& disconnectButton, MainButtonsHooks hooks, QObject* parent)
    : QObject(parent), m_surface(surface), m_bar(bar), m_connect(connectButton),
      m_disconnect(disconnectButton), m_hooks(std::move(hooks)) {
    for (int n = 1; n <= kCells; ++n) {
        auto* cell = new QLabel(surface);
        cell->setObjectName(QStringLiteral("lblShp_%1").arg(n));
        cell->setProperty("lblShpIndex", n);
        cell->setMouseTracking(true);
        cell->installEventFilter(this);
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

void MainButtons::setPictures(const MainPictures& pictures) {
    m_pictures = pictures;
    RepaintMain();
}

void MainButtons::setBackground(const QPixmap& background) {
    m_pictures.background = background;
    RepaintMain();
}

void MainButtons::setLayoutWidgets(QWidget* rtbDisplay, QWidget* combo1, QWidget* chkLog) {
    m_display = rtbDisplay;
    m_combo = combo1;
    m_chkLog = chkLog;
    layoutControls();
}

void MainButtons::clearHoverOver(QWidget* w) {
    if (!w)
        return;
    w->setMouseTracking(true);
    w->installEventFilter(this);
    m_leaveWatched.insert(w);
    connect(w, &QObject::destroyed, this, [this, w] { m_leaveWatched.remove(w); });
}

CButton& MainButtons::buttonOfCell(int n) {
    Q_ASSERT(n >= 1 && n <= kCells);
    if (n == 9)
        return m_connect;
    if (n == 10)
        return m_disconnect;
    return m_bar[size_t(n - 1)];
}

QLabel* MainButtons::cell(int n) const {
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

void MainButtons::clickCell(int n) {
    if (n >= 1 && n <= 8) {
        const CButton& b = m_bar[size_t(n - 1)];
        if (b.Attivo() && m_hooks.eseguiButt)
            m_hooks.eseguiButt(b);
    } else if (n == 9) {
        if (!m_connect.Attivo() || !m_hooks.connettiServer || !m_hooks.connettiServer())
            return;
        m_disconnect.setAttivo(true);
        m_connect.setAttivo(false);
        RepaintMain();
        if (m_hooks.setMenusConnected)
            m_hooks.setMenusConnected(true);
    } else if (n == 10) {
        if (!m_disconnect.Attivo())
            return;
        // The pair is swapped before the connection is closed.
        m_connect.setAttivo(true);
        m_disconnect.setAttivo(false);
        RepaintMain();
        if (m_hooks.setMenusConnected)
            m_hooks.setMenusConnected(false);
        if (m_hooks.disconnettiServer)
            m_hooks.disconnettiServer();
    }
}

void MainButtons::RepaintMain() {
    if (m_surface)
        m_surface->update();
}

void MainButtons::paint(QPainter& p, const QSize& size) const {
    const QRect all(QPoint(0, 0), size);
    if (!m_pictures.background.isNull())
        p.fillRect(all, QBrush(m_pictures.background));
    else if (m_surface)
        p.fillRect(all, m_surface->palette().window());
    for (size_t i = 0; i < 2; ++i)
        drawPicture(p, m_pictures.image1[i], m_pictures.image1Rect[i]);

    p.setFont(m_surface ? m_surface->font() : p.font());
    m_connect.draw(p);
    m_disconnect.draw(p);
    drawPicture(p, m_pictures.imgConn, m_pictures.imgConnRect);
    drawPicture(p, m_pictures.imgDisc, m_pictures.imgDiscRect);
    for (const CButton& b : m_bar)
        b.draw(p);
}

void MainButtons::layoutControls() {
    if (!m_surface)
        return;
    const int sw = pixelsToTwips(m_surface->width());
    const int sh = pixelsToTwips(m_surface->height());

    // A size that would be negative is not applied: the control keeps its own.
    if (m_display) {
        QRect r = m_display->geometry();
        r.moveTo(twipsToPixels(kDisplayLeft), twipsToPixels(kDisplayTop));
        if (sw - kRightMargin >= 0)
            r.setWidth(twipsToPixels(sw - kRightMargin));
        if (sh - kDisplayBottomMargin >= 0)
            r.setHeight(twipsToPixels(sh - kDisplayBottomMargin));
        m_display->setGeometry(r);
    }
    if (m_combo) {
        QRect r = m_combo->geometry();
        r.moveTo(twipsToPixels(kComboLeft), twipsToPixels(sh - kComboBottomMargin));
        if (sw - kRightMargin >= 0)
            r.setWidth(twipsToPixels(sw - kRightMargin));
        m_combo->setGeometry(r);
    }
    RepaintMain();
    if (m_chkLog) {
        const CButton& last = m_bar[7];
        m_chkLog->move(int(last.Left()) - 10, int(last.Top()) - 25);
    }
}

bool MainButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_surface) {
        switch (event->type()) {
        case QEvent::Paint: {
            QPainter p(m_surface);
            paint(p, m_surface->size());
            return true;
        }
        case QEvent::Resize:
            layoutControls();
            break;
        case QEvent::MouseMove:
            ClearHover();
            break;
        default:
            break;
        }
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
