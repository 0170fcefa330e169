#include "ui/AppIcon.h"

#include "ui/Artwork.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {

class DrawnIcon : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const int side = std::min(rect.width(), rect.height());
        if (side <= 0)
            return;
        const QRect square(rect.x() + (rect.width() - side) / 2,
                           rect.y() + (rect.height() - side) / 2, side, side);
        painter->drawImage(square, Artwork::appIcon(side));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return side > 0 ? QPixmap::fromImage(Artwork::appIcon(side)) : QPixmap();
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int side : AppIcon::kSizes)
            sizes << QSize(side, side);
        return sizes;
    }
    QIconEngine* clone() const override { return new DrawnIcon; }
    QString key() const override { return QStringLiteral("VarendorAppIcon"); }
};

} // namespace

QIcon AppIcon::make() {
    return QIcon(new DrawnIcon);
}
