#include "commands/CommandInputAccessible.h"

#include "commands/CommandInput.h"

#include <QLineEdit>

namespace {
QAccessibleInterface* inputFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CommandInput") && object && object->isWidgetType())
        return new CommandInputAccessible(static_cast<CommandInput*>(object));
    return nullptr;
}
} // namespace

CommandInputAccessible::CommandInputAccessible(CommandInput* input)
    : QAccessibleWidget(input, QAccessible::ComboBox) {}

void CommandInputAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(inputFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

CommandInput* CommandInputAccessible::input() const {
    return static_cast<CommandInput*>(widget());
}

QString CommandInputAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return QStringLiteral("Comando");
    case QAccessible::Value:
        return input()->serverEchoes() ? QString() : input()->currentText();
    case QAccessible::Description:
        return input()->serverEchoes() ? QStringLiteral("Parola d'ordine, non viene letta")
                                       : QString();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State CommandInputAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.passwordEdit = input()->serverEchoes();
    return s;
}

// The combo box keeps the keyboard focus for its line, so the line is where
// a reader follows the typing.
QAccessibleInterface* CommandInputAccessible::focusChild() const {
    if (input()->hasFocus())
        return QAccessible::queryAccessibleInterface(input()->lineEdit());
    return QAccessibleWidget::focusChild();
}
