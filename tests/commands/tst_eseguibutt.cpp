#include "commands/CommandLine.h"
#include "commands/EseguiButt.h"
#include "support/RecordingDisplay.h"
#include "ui/CButton.h"

#include <QTest>

class TestEseguiButt : public QObject {
    Q_OBJECT

    static QString sent(const QString& azione, RecordingDisplay* sinkOut = nullptr) {
        CButton b;
        b.setAzione(azione);
        RecordingDisplay sink;
        QStringList written;
        EseguiButt(b, sink, [&](const QString& s) { written.append(s); });
        // The button keeps its action as it was.
        if (b.azione() != azione || written.size() != 1 || sink.all() != written[0])
            return QStringLiteral("<mismatch>");
        if (sinkOut)
            *sinkOut = sink;
        return written[0];
    }

private slots:
    void terminatorRule() {
        QCOMPARE(sent("look"), QString("look\r\n"));
        QCOMPARE(sent("look<%>"), QString("look\r\n"));
        QCOMPARE(sent("look<%><%>"), QString("look\r\n\r\n"));
        QCOMPARE(sent(""), QString("\r\n"));
        QCOMPARE(sent("<%>"), QString("\r\n"));
        QCOMPARE(sent("north<%>east"), QString("north\r\neast\r\n"));
        // No leading space, no trimming.
        QCOMPARE(sent("  say hi "), QString("  say hi \r\n"));
        // "§" is an apostrophe; a stray "<%" is plain text.
        QCOMPARE(sent(QString::fromUtf8("say l§uomo<%")), QString("say l'uomo<%\r\n"));
    }

    void echoStaysGrey() {
        RecordingDisplay sink;
        sent("look", &sink);
        QCOMPARE(sink.pieces.size(), 1);
        QCOMPARE(sink.pieces[0].colour, EchoGrey);
        QCOMPARE(sink.colour, EchoGrey);
        QCOMPARE(EchoGrey, qRgb(160, 160, 160));
    }
};

QTEST_MAIN(TestEseguiButt)
#include "tst_eseguibutt.moc"
