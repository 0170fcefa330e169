#include "speech/GameVoice.h"
#include "support/speech/RecordingSpeech.h"

#include <QTest>

class TestGameVoice : public QObject {
    Q_OBJECT
private slots:
    void spokenText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<QString>("said");
        QTest::newRow("a prompt without its line end") << "Come ti chiami, viandante? "
                                                       << ""
                                                       << "Come ti chiami, viandante?";
        QTest::newRow("the echo dropped, the answer kept") << " nord\nSei nella piazza.\n"
                                                           << " nord\r\n"
                                                           << "Sei nella piazza.";
        QTest::newRow("an echo elsewhere is game text") << "Sei nella piazza.\n nord\n"
                                                        << " nord\r\n"
                                                        << "Sei nella piazza.\nnord";
        QTest::newRow("blank lines and control characters") << "\n\nUno\x07\n   \nDue\n"
                                                            << ""
                                                            << "Uno\nDue";
        QTest::newRow("a secret's bare line end") << "\nBenvenuto\n"
                                                  << "\r\n"
                                                  << "Benvenuto";
        QTest::newRow("nothing left") << " guarda\n"
                                      << " guarda\r\n"
                                      << "";
    }
    void spokenText() {
        QFETCH(QString, text);
        QFETCH(QString, echo);
        QFETCH(QString, said);
        QCOMPARE(GameVoice::spokenText(text, echo), said);
    }

    // The order a player hears things in: text as it comes, a command cuts
    // it and its echo is not said, only the first batch after it loses it.
    void aSessionHeard() {
        RecordingSpeech speech;
        GameVoice voice(&speech);
        voice.textArrived("Benvenuto\nCome ti chiami, viandante? ");
        voice.commandSent("Aldo\r\n");
        voice.textArrived("Aldo\nParola d'ordine: ");
        voice.textArrived("Aldo\n");
        voice.textArrived("\n");
        voice.sayNow("Disconnesso");
        voice.silence();
        voice.sayNow("  ");
        QCOMPARE(speech.calls, (QStringList{"speak: Benvenuto\nCome ti chiami, viandante?", "stop",
                                            "speak: Parola d'ordine:", "speak: Aldo", "stop",
                                            "speak: Disconnesso", "stop", "stop"}));
        voice.setSpeech(nullptr);
        voice.textArrived("nessuno ascolta"); // no voice: nothing happens
    }
};

QTEST_GUILESS_MAIN(TestGameVoice)
#include "tst_gamevoice.moc"
