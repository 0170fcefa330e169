#include "ui/FormRegion.h"

#include <cmath>

namespace {
// (left, top, right, bottom) with right and bottom exclusive.
QRect box(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}
constexpr int kTabWidth = 65;
} // namespace

QRegion ellipticRegion(const QRect& b) {
    QRegion out;
    if (b.width() < 1 || b.height() < 1)
        return out;
    const double cx = b.left() + b.width() / 2.0, cy = b.top() + b.height() / 2.0;
    const double a = b.width() / 2.0, e = b.height() / 2.0;
    for (int y = b.top(); y <= b.bottom(); ++y) {
        const double dy = (y + 0.5 - cy) / e;
        const double rest = 1.0 - dy * dy;
        if (rest < 0)
            continue;
        const double half = a * std::sqrt(rest);
        // Columns whose centre x + 0.5 lies within [cx - half, cx + half].
        const int x0 = int(std::ceil(cx - half - 0.5));
        const int x1 = int(std::floor(cx + half - 0.5));
        if (x1 >= x0)
            out += QRect(x0, y, x1 - x0 + 1, 1);
    }
    return out;
}

QRegion buildFormRegion(int w, int h, int cap, int fy, int fx) {
    const int r = cap + fy;
    const QRegion topLeft = ellipticRegion(box(0, 0, 2 * r - 1, 2 * r - 1)) & box(0, 0, r, r);

    QRegion body = QRegion(box(0, 0, w, h)) - box(0, 0, w - kTabWidth, r);
    body -= box(0, r, r, 2 * r);
    body += topLeft.translated(0, r);
    // The tab's rounded shoulder, from its top edge into the body's top edge.
    body += topLeft.translated(w - kTabWidth - r, fy);

    const QRegion bottomRight = ellipticRegion(box(0, 0, 2 * r, 2 * r)) & box(r, r, 2 * r, 2 * r);
    body -= box(w - r, h - r, w, h);
    body += bottomRight.translated(w - 2 * r, h - 2 * r);

    body -= box(0, 0, w, fy);     // top frame, tab included
    body -= box(w - fx, 0, w, h); // right frame
    body -= box(0, 0, fx, h);     // left frame
    return body;
}
