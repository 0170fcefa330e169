#include "automation/ColourNumber.h"

#include <QByteArray>
#include <cmath>
#include <limits>

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

WinColour parseHex(const QString& s, qsizetype i) {
    quint64 value = 0;
    int digits = 0;
    for (; i < s.size(); ++i) {
        const int d = hexDigit(s.at(i));
        if (d < 0)
            break;
        value = (value << 4) | quint64(d);
        if (value > 0xFFFFFFFFull)
            return 0; // more than 32 bits of value
        ++digits;
    }
    const bool longSuffix = i < s.size() && s.at(i) == QLatin1Char('&');
    if (digits <= 4 && !longSuffix)
        return WinColour(qint16(quint16(value)));
    return WinColour(quint32(value));
}

WinColour parseDecimal(const QString& s, qsizetype i) {
    QByteArray number;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        number += char(s.at(i++).unicode());
    bool anyDigit = false;
    while (i < s.size() && isDigit(s.at(i))) {
        number += char(s.at(i++).unicode());
        anyDigit = true;
    }
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        number += '.';
        ++i;
        while (i < s.size() && isDigit(s.at(i))) {
            number += char(s.at(i++).unicode());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        QByteArray exponent("e");
        if (j < s.size() && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-')))
            exponent += char(s.at(j++).unicode());
        if (j < s.size() && isDigit(s.at(j))) {
            while (j < s.size() && isDigit(s.at(j)))
                exponent += char(s.at(j++).unicode());
            number += exponent;
        }
    }
    bool ok = false;
    const double v = number.toDouble(&ok); // locale-independent
    if (!ok || !std::isfinite(v))
        return 0;
    const double r = std::nearbyint(v); // the default rounding: half to even
    if (r < double(std::numeric_limits<qint32>::min()) ||
        r > double(std::numeric_limits<qint32>::max()))
        return 0;
    return WinColour(qint32(r));
}

} // namespace

WinColour ColourNumber::parse(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i + 1 < text.size() && text.at(i) == QLatin1Char('&') &&
        (text.at(i + 1) == QLatin1Char('H') || text.at(i + 1) == QLatin1Char('h')))
        return parseHex(text, i + 2);
    return parseDecimal(text, i);
}
