#pragma once
// A script host that remembers what the scripts sent and showed.
// Header only: it builds into the programs that already link scripting/.
#include "scripting/ScriptHost.h"

#include <QList>
#include <QStringList>

class RecordingHost : public ScriptHost {
public:
    struct Sent {
        QString text;
        Send how;
    };
    QList<Sent> sent;
    QStringList lines;
    QList<QRgb> colours;

    void sendCommand(const QString& text, Send how) override { sent.append({text, how}); }
    void showLine(const QString& text, QRgb colour) override {
        lines << text;
        colours << colour;
    }
    QStringList sentTexts() const {
        QStringList out;
        for (const Sent& s : sent)
            out << s.text;
        return out;
    }
};
