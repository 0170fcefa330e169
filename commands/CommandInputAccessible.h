#pragma once
// What a screen reader learns of the input line: always the name "Comando",
// the typed command as its value, and nothing at all while the server hides
// the echo (the line then holds only a mask; the secret lives in
// CommandInput, out of every widget).
#include <QAccessibleWidget>

class CommandInput;

class CommandInputAccessible : public QAccessibleWidget {
public:
    explicit CommandInputAccessible(CommandInput* input);

    // Registers the factory once per process.
    static void install();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QAccessibleInterface* focusChild() const override;

private:
    CommandInput* input() const;
};
