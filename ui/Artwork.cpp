#include "ui/Artwork.h"

#include <QColor>

namespace {
QPixmap filled(int w, int h, QColor c) {
    QPixmap p(w, h);
    p.fill(c);
    return p;
}
} // namespace

namespace Artwork {
QPixmap mainTile() {
    return filled(64, 64, QColor(70, 66, 60));
}
QPixmap toolTile() {
    return filled(43, 42, QColor(214, 200, 170));
}
QPixmap icon(const QString&) {
    return filled(20, 20, QColor(120, 120, 120));
}
QPixmap menuPicture(int) {
    return filled(13, 13, QColor(120, 120, 120));
}
QPixmap connectPicture() {
    return filled(16, 16, QColor(40, 160, 40));
}
QPixmap disconnectPicture() {
    return filled(16, 16, QColor(170, 40, 40));
}
QPixmap decoration(int) {
    return filled(48, 48, QColor(150, 120, 60));
}
QPixmap aboutPicture() {
    return filled(385, 249, QColor(20, 20, 30));
}
} // namespace Artwork
