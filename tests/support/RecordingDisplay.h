#pragma once
// A display that remembers every call: each inserted piece with the colour it
// was written in, and every bold switch. Stands in for the game display where
// a test reads what was written rather than what is shown.
#include "ui/DisplaySink.h"

#include <QList>
#include <QString>
#include <QStringList>

class RecordingDisplay : public DisplaySink {
public:
    struct Piece {
        QString text;
        QRgb colour;
    };
    QList<Piece> pieces;
    QList<bool> boldCalls; // setSelBold's arguments, in order
    QRgb colour = qRgb(255, 255, 255);
    bool bold = false;

    void setSelColor(QRgb c) override { colour = c; }
    void setSelBold(bool b) override {
        bold = b;
        boldCalls.append(b);
    }
    void insertText(QStringView text) override { pieces.append({text.toString(), colour}); }
    int lastLine() const override { return int(all().count(QLatin1Char('\n'))); }
    void removeLeadingLines(int) override {}

    // Every piece, one insert each.
    QStringList texts() const {
        QStringList out;
        for (const Piece& p : pieces)
            out << p.text;
        return out;
    }
    QString all() const { return texts().join(QString()); }
};
