#include "protocol/TextCodec.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
const QString R(QChar(0xFFFD));

// The text of bytes fed in the given pieces, the end of the stream included.
QString decodeInPieces(const QByteArray& bytes, const QList<qsizetype>& cuts) {
    TextCodec codec(TextEncoding::Utf8);
    QString out;
    qsizetype at = 0;
    for (qsizetype cut : cuts) {
        out += codec.decode(QByteArrayView(bytes).sliced(at, cut - at));
        at = cut;
    }
    out += codec.decode(QByteArrayView(bytes).sliced(at));
    return out + codec.flush();
}
} // namespace

class TstTextCodec : public QObject {
    Q_OBJECT
private slots:
    void decodingAppendsToText() {
        TextCodec codec(TextEncoding::Utf8);
        QString out = QStringLiteral("ab");
        codec.decode("c\xE2\x82", out);
        QCOMPARE(out, QStringLiteral("abc"));
        // The cut character is abandoned by the switch and shows first.
        codec.setEncoding(TextEncoding::Cp1252);
        codec.decode("\x80", out);
        QCOMPARE(out, QStringLiteral("abc") + R + QStringLiteral("€"));
        // Long plain runs are decoded in blocks; a character in the middle
        // of one or at its edges is still read on its own.
        for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Cp1252}) {
            codec.reset(encoding);
            for (int at = 0; at < 40; ++at) {
                const QString text = QString(at, u'x') + QStringLiteral("è“") + QString(40, u'y');
                out = QStringLiteral("-");
                codec.decode(codec.encode(text), out);
                QCOMPARE(out, "-" + text);
            }
        }
    }

    void characterCutBetweenReadsIsJoined() {
        const QString text = QStringLiteral("Città, perché € costa più: 𝄞 ok");
        const QByteArray bytes = text.toUtf8();
        // Every single cut, then every byte on its own.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
            QCOMPARE(decodeInPieces(bytes, {cut}), text);
        QList<qsizetype> everyByte;
        for (qsizetype i = 1; i < bytes.size(); ++i)
            everyByte << i;
        QCOMPARE(decodeInPieces(bytes, everyByte), text);
        // A read that holds only the start of a character gives no text yet.
        TextCodec codec(TextEncoding::Utf8);
        QCOMPARE(codec.decode("\xE2\x82"), QString());
        QCOMPARE(codec.decode("\xAC!"), QStringLiteral("€!"));
    }

    void brokenSequencesBecomeOneReplacementEach_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const char* hex, const QString& text) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << text;
        };
        row("stray continuation", "61 80 62", "a" + R + "b");
        row("overlong two bytes", "c0 af 78", R + R + "x");
        row("overlong three bytes", "e0 80 af 78", R + R + R + "x");
        row("surrogate", "ed a0 80 78", R + R + R + "x");
        row("beyond U+10FFFF", "f4 90 80 80 78", R + R + R + R + "x");
        row("lead without end", "e2 82 78", R + "x");
        row("four-byte start, then ASCII", "f0 9f 98 41", R + "A");
        row("bytes no character uses", "fe ff f5", R + R + R);
        row("lead cut by the end", "6f 6b c3", "ok" + R);
        row("valid around invalid", "c3 a8 c3 c3 a0",
            QStringLiteral("è") + R + QStringLiteral("à"));
    }

    void brokenSequencesBecomeOneReplacementEach() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(TextCodec::decodeUtf8(bytes), text);
        // The same wherever the stream is cut.
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut)
            QCOMPARE(decodeInPieces(bytes, {cut}), text);
    }

    void randomBytesDecodeTheSameInAnyPieces() {
        QRandomGenerator rng(20261207);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes(int(rng.bounded(1, 64)), '\0');
            for (char& b : bytes)
                b = char(rng.bounded(2) ? rng.bounded(0x80, 0x100) : rng.bounded(0x20, 0x80));
            const QString whole = TextCodec::decodeUtf8(bytes);
            QList<qsizetype> cuts;
            for (qsizetype i = 1; i < bytes.size(); ++i)
                if (rng.bounded(3) == 0)
                    cuts << i;
            QCOMPARE(decodeInPieces(bytes, cuts), whole);
        }
    }

    void switchingEncodingEndsACutCharacter() {
        TextCodec codec(TextEncoding::Utf8);
        QCOMPARE(codec.decode("ab\xE2\x82"), QStringLiteral("ab"));
        codec.setEncoding(TextEncoding::Utf8); // no change: the character stays open
        QCOMPARE(codec.decode("\xAC"), QStringLiteral("€"));
        QCOMPARE(codec.decode("\xE2\x82"), QString());
        codec.setEncoding(TextEncoding::Cp1252);
        QCOMPARE(codec.decode("\xE8\x80"), R + QStringLiteral("è€"));
        QCOMPARE(codec.flush(), QString());
        codec.setEncoding(TextEncoding::Utf8);
        QCOMPARE(codec.decode("\xF0\x9F"), QString());
        QCOMPARE(codec.flush(), R);
        QCOMPARE(codec.decode("x"), QStringLiteral("x"));
        // A new stream forgets a cut character.
        QCOMPARE(codec.decode("\xC3"), QString());
        codec.reset(TextEncoding::Utf8);
        QCOMPARE(codec.decode("y"), QStringLiteral("y"));
    }

    // Watching Windows-1252 text for UTF-8: the same outcome wherever the
    // reads are cut, the switch at the first well-formed sequence.
    void watchFindsUtf8Unannounced_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("switchAt"); // -1: stays Windows-1252
        QTest::newRow("utf-8") << QByteArray("la citt\xC3\xA0 \xE2\x82\xAC") << u"la città €"_s
                               << 7;
        QTest::newRow("four bytes") << QByteArray("a\xF0\x9F\x98\x80") << u"a\U0001F600"_s << 1;
        QTest::newRow("game text") << QByteArray("citt\xE0 \xC3\xA0") << u"città Ã\u00A0"_s << -1;
        QTest::newRow("quote first") << QByteArray("\x93x\x94 \xC3\xA8") << u"“x” Ã¨"_s << -1;
        QTest::newRow("overlong") << QByteArray("\xC0\x80\xC3\xA8") << u"À€Ã¨"_s << -1;
        QTest::newRow("cut at the end") << QByteArray("ok \xE2\x82") << u"ok \u00E2\u201A"_s << -1;
        QTest::newRow("ascii") << QByteArray("solo testo\r\n") << u"solo testo\r\n"_s << -1;
    }
    void watchFindsUtf8Unannounced() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(int, switchAt);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            TextCodec codec;
            codec.setWatchForUtf8(true);
            QString out;
            codec.decode(bytes.first(cut), out);
            qsizetype found = codec.takeUtf8Found();
            codec.decode(bytes.sliced(cut), out);
            if (found < 0)
                found = codec.takeUtf8Found();
            out += codec.flush();
            QCOMPARE(out, text);
            QCOMPARE(int(found), switchAt);
            QCOMPARE(codec.encoding(), switchAt >= 0 ? TextEncoding::Utf8 : TextEncoding::Cp1252);
            QCOMPARE(codec.encode(u"è"),
                     switchAt >= 0 ? QByteArray("\xC3\xA8") : QByteArray("\xE8"));
        }
        // Negotiation ends the watch; what waited is Windows-1252 text.
        TextCodec codec;
        codec.setWatchForUtf8(true);
        QString out;
        codec.decode("a\xC3", out);
        codec.setEncoding(TextEncoding::Cp1252);
        codec.decode("\xA0", out);
        QCOMPARE(out, u"aÃ\u00A0"_s);
        QVERIFY(!codec.watchingForUtf8());
    }

    void encodesInTheSessionsEncoding() {
        const QString text = QStringLiteral("città € “sì” 𝄞");
        QCOMPARE(TextCodec(TextEncoding::Utf8).encode(text), text.toUtf8());
        QCOMPARE(TextCodec(TextEncoding::Cp1252).encode(text),
                 QByteArray("citt\xE0 \x80 \x93s\xEC\x94 ?"));
        // Half a character cannot be sent as it is.
        const QString lone =
            QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00);
        QCOMPARE(TextCodec(TextEncoding::Utf8).encode(lone), QByteArray("a\xEF\xBF\xBD"
                                                                        "b\xEF\xBF\xBD"));
        // The boundaries of each UTF-8 length, both ways, as Qt has them.
        for (const char32_t c :
             {0x7FU, 0x80U, 0x7FFU, 0x800U, 0xD7FFU, 0xE000U, 0xFFFFU, 0x10000U, 0x10FFFFU}) {
            const QString one = QString::fromUcs4(&c, 1) + u'x';
            QCOMPARE(TextCodec(TextEncoding::Utf8).encode(one), one.toUtf8());
            QCOMPARE(TextCodec(TextEncoding::Utf8).decode(one.toUtf8()), one);
        }
        // The code page path is the game's table, all 256 bytes both ways.
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        TextCodec codePage;
        QCOMPARE(codePage.encode(codePage.decode(all)), all);
    }
};

QTEST_MAIN(TstTextCodec)
#include "tst_textcodec.moc"
