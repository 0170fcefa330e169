#pragma once
// What screen readers see of a ClickLabel: a push button named after its
// drawn caption (or a swatch after its colour), disabled while its button is
// inactive, with one action, "Press", which presses it as Space would.
#include <QAccessibleWidget>

class ClickLabel;

class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel* label);

    // Registers the factory once per process.
    static void install();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    ClickLabel* label() const;
};
