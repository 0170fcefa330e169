// The session's streaming decoder on its own: however the bytes fall into
// reads, and wherever the encoding switches, the text is the same as when
// every stretch between switches is decoded in one piece. No ASCII byte is
// ever lost or changed, and the text is whole UTF-16.
//
// Input: one byte (bit 0: the first encoding is UTF-8; bits 1-3: how many
// switches follow), two bytes per switch (where it falls, modulo the
// stream's length), then the server's bytes. Each switch changes to the other
// encoding. The read sizes follow from a hash of the input.
#include "FuzzSupport.h"

#include "files/CodePage.h"
#include "protocol/TextCodec.h"

#include <QList>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>

namespace {

quint32 hashOf(const uint8_t* data, size_t size) {
    quint32 h = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

TextEncoding other(TextEncoding e) {
    return e == TextEncoding::Utf8 ? TextEncoding::Cp1252 : TextEncoding::Utf8;
}

// Decodes stream, switching at the given positions; reads of random sizes
// when split is given, else one read per stretch.
QString decode(QByteArrayView stream, TextEncoding first, const QList<qsizetype>& switches,
               fuzz::Splitter* split) {
    TextCodec codec(first);
    QString text;
    qsizetype at = 0;
    for (qsizetype s = 0; s <= switches.size(); ++s) {
        const qsizetype end = s < switches.size() ? switches[s] : stream.size();
        while (at < end) {
            qsizetype n = end - at;
            if (split) {
                const quint32 r = split->next();
                n = qMin(n, (r & 3) == 0 ? 1 + qsizetype(r >> 8) % 4 : 1 + qsizetype(r >> 8) % 64);
            }
            text += codec.decode(stream.sliced(at, n));
            at += n;
        }
        if (s < switches.size())
            codec.setEncoding(other(codec.encoding()));
    }
    return text + codec.flush();
}

bool wholeUtf16(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

QByteArray asciiOf(QByteArrayView bytes) {
    QByteArray out;
    for (char c : bytes)
        if (uchar(c) < 0x80)
            out += c;
    return out;
}

QByteArray asciiOf(const QString& text) {
    QByteArray out;
    for (QChar c : text)
        if (c.unicode() < 0x80)
            out += char(c.unicode());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const TextEncoding first = data[0] & 1 ? TextEncoding::Utf8 : TextEncoding::Cp1252;
    const size_t count = (data[0] >> 1) & 7;
    if (size < 1 + 2 * count)
        return 0;
    const QByteArrayView stream(reinterpret_cast<const char*>(data + 1 + 2 * count),
                                qsizetype(size - 1 - 2 * count));
    QList<qsizetype> switches;
    for (size_t i = 0; i < count; ++i)
        switches << (data[1 + 2 * i] | data[2 + 2 * i] << 8) % (stream.size() + 1);
    std::sort(switches.begin(), switches.end());

    const QString whole = decode(stream, first, switches, nullptr);
    fuzz::Splitter split(hashOf(data, size));
    const QString pieces = decode(stream, first, switches, &split);
    FUZZ_EXPECT(pieces == whole);
    FUZZ_EXPECT(wholeUtf16(whole));
    FUZZ_EXPECT(asciiOf(whole) == asciiOf(stream));
    // At most one character per byte, plus one U+FFFD per switch that cut a
    // character.
    FUZZ_EXPECT(whole.size() <= stream.size() + switches.size());

    if (switches.isEmpty() && first == TextEncoding::Cp1252) {
        FUZZ_EXPECT(whole == CodePage::decode(stream));
    } else if (switches.isEmpty()) {
        FUZZ_EXPECT(whole == TextCodec::decodeUtf8(stream));
        // Valid UTF-8 (a leading byte order mark included) decodes as Qt
        // decodes it and is written back unchanged.
        QStringDecoder qt(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                    QStringDecoder::Flag::ConvertInitialBom);
        const QString reference = qt.decode(stream);
        if (!qt.hasError()) {
            FUZZ_EXPECT(whole == reference);
            FUZZ_EXPECT(TextCodec(TextEncoding::Utf8).encode(whole) == stream);
        } else {
            FUZZ_EXPECT(whole.contains(QChar(0xFFFD)));
        }
    }
    return 0;
}
