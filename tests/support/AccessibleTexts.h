#pragma once
// Every text an accessible object, and everything below it, gives a screen
// reader that asks: name, value, description, help, its text and selection.
#include <QAccessible>
#include <QStringList>

inline QStringList accessibleTexts(QAccessibleInterface* iface, int depth = 0) {
    QStringList out;
    if (!iface || !iface->isValid())
        return out;
    for (QAccessible::Text t :
         {QAccessible::Name, QAccessible::Value, QAccessible::Description, QAccessible::Help})
        out << iface->text(t);
    if (QAccessibleTextInterface* text = iface->textInterface()) {
        out << text->text(0, text->characterCount());
        for (int i = 0; i < text->selectionCount(); ++i) {
            int from = 0, to = 0;
            text->selection(i, &from, &to);
            out << text->text(from, to);
        }
    }
    if (depth < 8)
        for (int i = 0; i < iface->childCount(); ++i)
            out << accessibleTexts(iface->child(i), depth + 1);
    return out;
}
