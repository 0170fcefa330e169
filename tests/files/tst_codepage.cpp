#include "files/CodePage.h"

#include <QStringDecoder>
#include <QTest>

class TstCodePage : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = CodePage::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage::encode(text), all);
        // Every byte gets a different character, otherwise encode could not be the inverse.
        for (int i = 0; i < 256; ++i)
            QCOMPARE(CodePage::byteFor(text.at(i).unicode()), i);
    }

    void knownCharacters() {
        QCOMPARE(CodePage::decode("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(CodePage::decode("\x93\x94"), QStringLiteral("\u201C\u201D"));
        QCOMPARE(CodePage::decode("\x9F"), QString(QChar(0x0178)));
        QCOMPARE(CodePage::decode("\x8A\x9A"), QStringLiteral("\u0160\u0161"));
        for (const char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
            QCOMPARE(CodePage::decode(QByteArray(1, b)), QString(QChar(uchar(b))));
        // The upper half is Latin-1, the bytes a telnet server sends included.
        QCOMPARE(CodePage::decode("\xE9\xE8\xFF\xFB\xFC"), QStringLiteral("éèÿûü"));
        QCOMPARE(CodePage::decode(QByteArray("a\0b", 3)), QStringView(u"a\0b", 3).toString());
        QVERIFY(CodePage::decode(QByteArray()).isEmpty());
    }

    void agreesWithThePlatformConverter() {
        // Catches a slip in the table when the platform happens to have a converter.
        QStringDecoder platform("windows-1252");
        if (!platform.isValid())
            QSKIP("no windows-1252 converter on this machine");
        for (int i = 0x80; i < 0xA0; ++i) {
            const QByteArray b(1, char(i));
            QCOMPARE(CodePage::decode(b), QString(platform.decode(b)));
        }
    }

    void charactersOutsideBecomeQuestionMarks() {
        QCOMPARE(CodePage::encode(u"é€“ok”"), QByteArray("\xE9\x80\x93ok\x94"));
        // Controls that the code page turned into typographic characters are not
        // bytes of their own any more.
        QCOMPARE(CodePage::encode(u"\u0080\u0093"), QByteArray("??"));
        QCOMPARE(CodePage::encode(u"日本"), QByteArray("??"));
        // One '?' for a character beyond 16 bits, and a lone surrogate is one too.
        QCOMPARE(CodePage::encode(u"a\U0001F600b"), QByteArray("a?b"));
        QCOMPARE(CodePage::encode(QStringView(u"\xD800x")), QByteArray("?x"));
        QVERIFY(CodePage::encode(u"").isEmpty());
    }

    void misfitsAreFoundAndNamed() {
        // Everything a byte stands for fits, the undefined five and A0 included.
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        QVERIFY(!CodePage::firstMisfit(CodePage::decode(all)));
        QVERIFY(!CodePage::firstMisfit(u""));

        auto misfit = CodePage::firstMisfit(u"città → ł");
        QVERIFY(misfit);
        QCOMPARE(misfit->position, 6);
        QCOMPARE(misfit->length, 1);
        QCOMPARE(misfit->codePoint, char32_t(0x2192));
        QCOMPARE(CodePage::misfitMessage(*misfit, "trigger.txt"),
                 QStringLiteral("Il carattere «→» (U+2192) non può essere salvato nel file "
                                "trigger.txt, che usa la codifica Windows-1252 (un byte per "
                                "carattere)"));
        // A control that the code page turned into a typographic character.
        QCOMPARE(CodePage::firstMisfit(u"ab\u0080")->position, 2);
        // A character beyond 16 bits is one, named by its code point.
        misfit = CodePage::firstMisfit(u"x\U0001F600");
        QCOMPARE(misfit->position, 1);
        QCOMPARE(misfit->length, 2);
        QVERIFY(CodePage::misfitMessage(*misfit, "f").contains(QStringLiteral("U+1F600")));
        // A lone surrogate has no face: only its code is shown.
        misfit = CodePage::firstMisfit(QStringView(u"\xDC00"));
        QCOMPARE(misfit->codePoint, char32_t(0xDC00));
        QVERIFY(CodePage::misfitMessage(*misfit, "f").startsWith("Il carattere U+DC00 non"));
    }
};

QTEST_MAIN(TstCodePage)
#include "tst_codepage.moc"
