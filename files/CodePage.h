#pragma once
// The game speaks the Windows-1252 code page: one byte is one character.
// Table-based so that it does not depend on which converters Qt was built with.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace CodePage {
// Every byte becomes one character; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control character of
// the same number, so all 256 bytes survive a round trip.
QString decode(QByteArrayView bytes);

// The exact inverse of decode. A character the code page cannot hold becomes
// one '?' (a surrogate pair counts as one character).
QByteArray encode(QStringView text);

// The byte for one character, or -1 when the code page has none.
int byteFor(char16_t ch);
} // namespace CodePage
