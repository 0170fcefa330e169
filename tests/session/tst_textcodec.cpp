#include "automation/CodePage.h"
#include "session/TextCodec.h"

#include <QRandomGenerator>
#include <QTest>

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
        QTest::newRow("stray continuation") << QByteArray("a\x80"
                                                          "b")
                                            << "a" + R + "b";
        QTest::newRow("overlong two bytes") << QByteArray("\xC0\xAF"
                                                          "x")
                                            << R + R + "x";
        QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF"
                                                            "x")
                                              << R + R + R + "x";
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80"
                                                 "x")
                                   << R + R + R + "x";
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80"
                                                       "x")
                                         << R + R + R + R + "x";
        QTest::newRow("lead without end") << QByteArray("\xE2\x82"
                                                        "x")
                                          << R + "x";
        QTest::newRow("four-byte start, then ASCII") << QByteArray("\xF0\x9F\x98"
                                                                   "A")
                                                     << R + "A";
        QTest::newRow("bytes no character uses") << QByteArray("\xFE\xFF\xF5") << R + R + R;
        QTest::newRow("lead cut by the end") << QByteArray("ok\xC3") << "ok" + R;
        QTest::newRow("valid around invalid")
            << QByteArray("\xC3\xA8\xC3\xC3\xA0") << QStringLiteral("è") + R + QStringLiteral("à");
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
            // Nothing is lost: every byte is in a character or a replacement.
            QVERIFY(whole.size() >= bytes.size() / 4);
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

    void windows1252IsTheGamesCodePage() {
        TextCodec codec;
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = codec.decode(all);
        QCOMPARE(text, CodePage::decode(all));
        QCOMPARE(codec.encode(text), all);
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
        QCOMPARE(TextCodec::decodeUtf8(text.toUtf8()), text);
    }
};

QTEST_MAIN(TstTextCodec)
#include "tst_textcodec.moc"
