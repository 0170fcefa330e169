#pragma once
// The game speaks the Windows-1252 code page: one byte is one character.
// Table-based so that it does not depend on which converters Qt was built with.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace CodePage {
// Every byte becomes one character; the five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control character of
// the same number, so all 256 bytes survive a round trip.
QString decode(QByteArrayView bytes);
// The same into out, which has room for bytes.size() characters.
void decode(QByteArrayView bytes, char16_t* out);

// The exact inverse of decode. A character the code page cannot hold becomes
// one '?' (a surrogate pair counts as one character): right for the wire,
// never for a file, which checks with firstMisfit first.
QByteArray encode(QStringView text);

// A character the code page cannot hold: where it starts in the text, how
// many UTF-16 units it takes (2 for a surrogate pair) and its code point.
struct Misfit {
    qsizetype position = 0;
    qsizetype length = 1;
    char32_t codePoint = 0;
};

// The first character of text the code page cannot hold, if any.
std::optional<Misfit> firstMisfit(QStringView text);

// Tells the player, in Italian, that the character cannot go into the
// 8-bit file fileName, naming the character and its code. One sentence
// without its full stop, like the other file errors, so callers can go on.
QString misfitMessage(const Misfit& misfit, const QString& fileName);

// The byte for one character, or -1 when the code page has none.
int byteFor(char16_t ch);
} // namespace CodePage
