#include "ui/ClickLabelAccessible.h"

#include "ui/ClickLabel.h"

#include <QPointer>

namespace {
QAccessibleInterface* clickLabelFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ClickLabel") && object && object->isWidgetType())
        return new ClickLabelAccessible(static_cast<ClickLabel*>(object));
    return nullptr;
}
} // namespace

ClickLabelAccessible::ClickLabelAccessible(ClickLabel* label)
    : QAccessibleWidget(label, QAccessible::Button) {}

void ClickLabelAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(clickLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ClickLabel* ClickLabelAccessible::label() const {
    return static_cast<ClickLabel*>(widget());
}

QString ClickLabelAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return label()->buttonName();
    case QAccessible::Accelerator:
        return label()->keyHint();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State ClickLabelAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    const bool active = label()->isActive();
    s.disabled = !active;
    s.focusable = active;
    return s;
}

QStringList ClickLabelAccessible::actionNames() const {
    return {pressAction()};
}

// Pressed after the reader's call has returned: a button may open a modal
// window, which must not hold the reader's request open.
void ClickLabelAccessible::doAction(const QString& actionName) {
    if (actionName != pressAction())
        return;
    QPointer<ClickLabel> target = label();
    QMetaObject::invokeMethod(
        target,
        [target] {
            if (target)
                target->press();
        },
        Qt::QueuedConnection);
}

QStringList ClickLabelAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction() && !label()->keyHint().isEmpty())
        return {label()->keyHint()};
    return {};
}
