#pragma once
// Control sequences in the server text that tests send: esc("1;31m") is
// ESC [ 1;31m, esc("3") a sequence cut off after its first parameter.
#include <QChar>
#include <QString>

inline constexpr QChar kEsc(0x1B);

inline QString esc(const QString& params) {
    return QString(kEsc) + u'[' + params;
}
