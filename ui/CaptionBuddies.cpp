#include "ui/CaptionBuddies.h"

#include <QLabel>
#include <QSet>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {

// Nearest only: a caption beside another control must not name a far one.
constexpr int kMaxGap = 12;

// Pixels between two rectangles (0 when they touch or overlap).
int gap(const QRect& a, const QRect& b) {
    const int dx = std::max({0, b.left() - a.right() - 1, a.left() - b.right() - 1});
    const int dy = std::max({0, b.top() - a.bottom() - 1, a.top() - b.bottom() - 1});
    return std::max(dx, dy);
}

bool isField(const QWidget* w) {
    return !qobject_cast<const QLabel*>(w) && (w->focusPolicy() & Qt::TabFocus) &&
           w->accessibleName().isEmpty();
}

} // namespace

void pairCaptionsWithControls(QWidget* area) {
    const QList<QLabel*> labels = area->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    const QList<QWidget*> widgets = area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    struct Pair {
        int gap;
        QLabel* label;
        QWidget* field;
    };
    // The closest pairs first, so that the result does not depend on the
    // order the window created its controls in.
    std::vector<Pair> pairs;
    QSet<const QWidget*> taken;
    for (QLabel* label : labels) {
        if (label->buddy()) {
            taken.insert(label->buddy());
            continue;
        }
        if (label->text().trimmed().isEmpty())
            continue;
        for (QWidget* w : widgets) {
            const int g = gap(label->geometry(), w->geometry());
            if (isField(w) && g <= kMaxGap)
                pairs.push_back({g, label, w});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair& a, const Pair& b) { return a.gap < b.gap; });
    for (const Pair& p : pairs) {
        if (p.label->buddy() || taken.contains(p.field))
            continue;
        p.label->setBuddy(p.field);
        taken.insert(p.field);
    }
}
