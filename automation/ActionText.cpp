#include "automation/ActionText.h"

#include "automation/PairTable.h"

QString ActionText::toWire(const QString& action) {
    QString s = action;
    s.replace(QChar(0x00A7), QLatin1Char('\''));
    s.replace(kSeparator, kCrLf);
    return s;
}

QString ActionText::triggerCommand(PairTable& triggers, int index) {
    QString& action = triggers.actions[index];
    if (!QStringView(action).right(5).contains(kSeparator)) {
        action += kSeparator;
        triggers.touch();
    }
    return toWire(action);
}
