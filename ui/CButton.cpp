#include "ui/CButton.h"

#include <QPainter>
#include <cmath>
#include <stdexcept>

namespace {

// Coordinates are computed in floating point and rounded half to even when
// they reach a drawing call.
int px(double v) {
    return int(std::nearbyint(v));
}

// Fills (l, t)-(r, b), right and bottom exclusive, with the brush and
// outlines it with the one-pixel pen, like the classic Rectangle call.
void rectangle(QPainter& p, double l, double t, double r, double b) {
    const int x0 = px(l), y0 = px(t), x1 = px(r), y1 = px(b);
    if (x1 - x0 < 1 || y1 - y0 < 1)
        return;
    p.drawRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1);
}

void roundRect(QPainter& p, double l, double t, double r, double b, int ew, int eh) {
    const int x0 = px(l), y0 = px(t), x1 = px(r), y1 = px(b);
    if (x1 - x0 < 1 || y1 - y0 < 1)
        return;
    p.drawRoundedRect(QRectF(x0, y0, x1 - x0 - 1, y1 - y0 - 1), ew / 2.0, eh / 2.0);
}

void setColours(QPainter& p, WinColour fill, WinColour fore) {
    p.setBrush(toQColor(fill));
    QPen pen(toQColor(fore));
    pen.setWidth(1);
    p.setPen(pen);
}

} // namespace

void CButton::setCaption(const QString& v) {
    m_caption = v.isEmpty() ? QStringLiteral("Vuoto") : v;
}

void CButton::setLeft(double v) {
    if (!(v >= 1))
        throw std::invalid_argument("CButton: Left must be at least 1");
    m_left = v;
}

void CButton::setTop(double v) {
    if (!(v >= 1))
        throw std::invalid_argument("CButton: Top must be at least 1");
    m_top = v;
}

void CButton::setRight(double v) {
    m_right = v < 1 ? m_left + 10 : v;
}

void CButton::setBottom(double v) {
    m_bottom = v < 1 ? m_top + 10 : v;
}

void CButton::init(const QString& caption, double top, double left, qint32 stile, bool attivo,
                   std::optional<WinColour> activeColor, std::optional<double> right,
                   std::optional<double> bottom) {
    setCaption(caption);
    setTop(top);
    setLeft(left);
    setStile(stile);
    setAttivo(attivo);
    if (activeColor)
        setActiveColor(*activeColor);
    if (right)
        setRight(*right);
    if (bottom)
        setBottom(*bottom);
}

void CButton::draw(QPainter& p) const {
    const bool oldAa = p.testRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::Antialiasing, false);

    const WinColour fore = m_attivo ? winRgb(0, 0, 0) : winRgb(120, 120, 120);
    const WinColour fill = m_attivo ? m_activeColor : m_disactiveColor;
    const WinColour white = winRgb(255, 255, 255);
    const WinColour yellow = winRgb(255, 255, 0);
    const WinColour greySquare = winRgb(160, 160, 160);
    const double n = m_caption.size();
    double tx = m_left, ty = m_top;

    setColours(p, fill, fore);
    switch (m_stile) {
    case 0:
        rectangle(p, m_left, m_top, m_right, m_bottom);
        rectangle(p, m_left + 2, m_top + 2, m_right - 2, m_bottom - 2);
        tx = m_left + 20 - n;
        ty = m_top + 3;
        break;
    case 1:
        roundRect(p, m_left + 4, m_top + 4, m_right + 4, m_bottom + 4, 20, 20);
        tx = m_left + 22 - n;
        ty = m_top + 6;
        break;
    case 2:
        if (m_selezionato) {
            setColours(p, yellow, fore);
            rectangle(p, m_left - 2, m_top - 2, m_left + 102, m_top + 27);
        }
        setColours(p, m_attivo ? white : m_disactiveColor, fore);
        rectangle(p, m_left, m_top, m_left + 100, m_top + 25);
        setColours(p, m_attivo ? winRgb(192, 192, 255) : greySquare, fore);
        rectangle(p, m_left, m_top, m_left + 25, m_top + 25);
        tx = m_left + 50 - n;
        ty = m_top + 6;
        break;
    case 3:
        if (m_selezionato) {
            setColours(p, yellow, fore);
            rectangle(p, m_left - 2, m_top - 2, m_left + 82, m_top + 22);
        }
        setColours(p, m_attivo ? white : m_disactiveColor, fore);
        rectangle(p, m_left, m_top, m_left + 80, m_top + 20);
        setColours(p, m_attivo ? m_activeColor : greySquare, fore);
        rectangle(p, m_left, m_top, m_left + 20, m_top + 20);
        tx = m_left + 34 - n;
        ty = m_top + 2;
        break;
    default:
        break; // an unknown style draws its caption only
    }

    // Left-aligned from the text position, unclipped, breaking only at the
    // caption's own line ends.
    const QRect box(px(tx), px(ty), 10000, 10000);
    int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    QString caption = m_caption;
    if (m_mnemonic >= 0 && m_mnemonic < m_caption.size()) {
        // "&" marks the underlined letter; the caption's own are doubled.
        caption.clear();
        for (qsizetype i = 0; i < m_caption.size(); ++i) {
            if (i == m_mnemonic)
                caption += QLatin1Char('&');
            caption += m_caption[i];
            if (m_caption[i] == QLatin1Char('&'))
                caption += QLatin1Char('&');
        }
        flags |= Qt::TextShowMnemonic;
    }
    p.drawText(box, flags, caption);
    p.setRenderHint(QPainter::Antialiasing, oldAa);
}
