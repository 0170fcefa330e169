#include "ui/ClientStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {

// Two chevrons pointing along the bar, in the text's colour.
class OverflowArrow : public QIconEngine {
public:
    explicit OverflowArrow(bool vertical) : m_vertical(vertical) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QPalette palette = QApplication::palette();
        const QColor colour = palette.color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Normal, QPalette::WindowText);
        const int side = std::min(rect.width(), rect.height());
        if (side < 4)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(colour, std::max(1.0, side / 10.0)));
        painter->translate(rect.center() + QPointF(0.5, 0.5));
        if (m_vertical)
            painter->rotate(90);
        const qreal h = side / 4.0;
        for (qreal x : {-h, 0.0}) {
            const QPointF points[] = {{x - h / 2, -h}, {x + h / 2, 0}, {x - h / 2, h}};
            painter->drawPolyline(points, 3);
        }
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap out(size);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return out;
    }
    QIconEngine* clone() const override { return new OverflowArrow(m_vertical); }
    QString key() const override { return QStringLiteral("VarendorOverflowArrow"); }

private:
    bool m_vertical;
};

} // namespace

QIcon ClientStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                const QWidget* widget) const {
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new OverflowArrow(icon == SP_ToolBarVerticalExtensionButton));
    return QProxyStyle::standardIcon(icon, option, widget);
}
