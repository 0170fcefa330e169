#include "client/MainSurface.h"

#include "ui/Twips.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {

// Fixed edges of the window design, in twips.
constexpr int kDisplayLeft = 120, kDisplayTop = 960;
constexpr int kComboLeft = 120;
constexpr int kRightMargin = 350, kDisplayBottomMargin = 2100, kComboBottomMargin = 1100;

void drawPicture(QPainter& p, const QPixmap& pix, const QRect& r) {
    if (pix.isNull())
        return;
    if (r.size().isEmpty())
        p.drawPixmap(r.topLeft(), pix);
    else
        p.drawPixmap(r, pix);
}

} // namespace

MainSurface::MainSurface(const ButtonBar& bar, const CButton& connectButton,
                         const CButton& disconnectButton, QWidget* parent)
    : QWidget(parent), m_bar(bar), m_connect(connectButton), m_disconnect(disconnectButton) {
    setObjectName(QStringLiteral("mainSurface"));
}

void MainSurface::setPictures(const MainPictures& pictures) {
    m_pictures = pictures;
    update();
}

void MainSurface::setBackground(const QPixmap& background) {
    m_pictures.background = background;
    update();
}

void MainSurface::setLayoutWidgets(QWidget* rtbDisplay, QWidget* combo1, QWidget* chkLog) {
    m_display = rtbDisplay;
    m_combo = combo1;
    m_chkLog = chkLog;
    layoutControls();
}

void MainSurface::setGaugeBar(QWidget* gauges) {
    m_gauges = gauges;
    if (gauges)
        gauges->installEventFilter(this);
    layoutControls();
}

bool MainSurface::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_gauges &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        layoutControls();
    return QWidget::eventFilter(watched, event);
}

void MainSurface::paint(QPainter& p, const QSize& size) const {
    const QRect all(QPoint(0, 0), size);
    if (!m_pictures.background.isNull())
        p.fillRect(all, QBrush(m_pictures.background));
    else
        p.fillRect(all, palette().window());
    for (size_t i = 0; i < 2; ++i)
        drawPicture(p, m_pictures.image1[i], m_pictures.image1Rect[i]);

    p.setFont(font());
    m_connect.draw(p);
    m_disconnect.draw(p);
    drawPicture(p, m_pictures.imgConn, m_pictures.imgConnRect);
    drawPicture(p, m_pictures.imgDisc, m_pictures.imgDiscRect);
    for (const CButton& b : m_bar)
        b.draw(p);
}

void MainSurface::layoutControls() {
    const int sw = pixelsToTwips(width());
    const int sh = pixelsToTwips(height());

    // A size that would be negative is not applied: the control keeps its own.
    if (m_display) {
        QRect r = m_display->geometry();
        r.moveTo(twipsToPixels(kDisplayLeft), twipsToPixels(kDisplayTop));
        if (sw - kRightMargin >= 0)
            r.setWidth(twipsToPixels(sw - kRightMargin));
        if (sh - kDisplayBottomMargin >= 0)
            r.setHeight(twipsToPixels(sh - kDisplayBottomMargin));
        if (m_gauges && !m_gauges->isHidden()) {
            // The gauges take the foot of the display's place.
            const int barHeight = std::min(m_gauges->sizeHint().height(), r.height() / 2);
            m_gauges->setGeometry(r.left(), r.bottom() + 1 - barHeight, r.width(), barHeight);
            r.setHeight(r.height() - barHeight);
        }
        m_display->setGeometry(r);
    }
    if (m_combo) {
        QRect r = m_combo->geometry();
        r.moveTo(twipsToPixels(kComboLeft), twipsToPixels(sh - kComboBottomMargin));
        if (sw - kRightMargin >= 0)
            r.setWidth(twipsToPixels(sw - kRightMargin));
        m_combo->setGeometry(r);
    }
    update();
    if (m_chkLog) {
        const CButton& last = m_bar[7];
        m_chkLog->move(int(last.Left()) - 10, int(last.Top()) - 25);
    }
}

void MainSurface::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, size());
}

void MainSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}
