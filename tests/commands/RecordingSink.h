#pragma once
// A display that remembers what was inserted and in which colour.
#include "ui/DisplaySink.h"

#include <QList>
#include <QString>

class RecordingSink : public DisplaySink {
public:
    struct Piece {
        QString text;
        QRgb colour;
    };
    QList<Piece> pieces;
    QRgb colour = qRgb(255, 255, 255);
    bool bold = false;

    void setSelColor(QRgb c) override { colour = c; }
    void setSelBold(bool b) override { bold = b; }
    void insertText(QStringView text) override { pieces.append({text.toString(), colour}); }
    int lastLine() const override { return int(all().count(QLatin1Char('\n'))); }
    void removeLeadingLines(int) override {}

    QString all() const {
        QString s;
        for (const Piece& p : pieces)
            s += p.text;
        return s;
    }
};
