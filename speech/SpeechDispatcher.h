#pragma once
// The desktop's speech service (speech-dispatcher), in Italian. Its calls
// wait on the service, which may be slow to start or stuck without a sound
// card, so they run on a thread of their own and the window never waits.
// When the service is missing the voice stays silent and the game goes on.
#include "speech/Speech.h"

#include <QThread>
#include <atomic>

class SpeechWorker;

class SpeechDispatcher : public Speech {
public:
    SpeechDispatcher();
    ~SpeechDispatcher() override;
    SpeechDispatcher(const SpeechDispatcher&) = delete;
    SpeechDispatcher& operator=(const SpeechDispatcher&) = delete;

    void speak(const QString& text) override;
    void stop() override;

private:
    QThread m_thread;
    SpeechWorker* m_worker;
    // Raised by stop(): texts handed over before it are dropped unsaid.
    std::atomic<quint64> m_generation{0};
};
