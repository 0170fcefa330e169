#pragma once
// A voice that remembers what it was asked: "speak: text" for each text and
// "stop" for each interruption, in order.
#include "speech/Speech.h"

#include <QStringList>

class RecordingSpeech : public Speech {
public:
    QStringList calls;

    void speak(const QString& text) override { calls.append(QStringLiteral("speak: ") + text); }
    void stop() override { calls.append(QStringLiteral("stop")); }
    // Only the spoken texts.
    QStringList spoken() const {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(QStringLiteral("speak: ")))
                out.append(c.mid(7));
        return out;
    }
};
