#include "automation/ActionText.h"

QString ActionText::toWire(const QString& action) {
    QString s = action;
    s.replace(QChar(0x00A7), QLatin1Char('\''));
    s.replace(kSeparator, kCrLf);
    return s;
}
