#include "speech/SpeechDispatcher.h"

#include <libspeechd.h>

class SpeechWorker : public QObject {
public:
    explicit SpeechWorker(const std::atomic<quint64>& generation) : m_generation(generation) {}
    ~SpeechWorker() override {
        if (m_connection)
            spd_close(m_connection);
    }

    void speak(const QString& text, quint64 generation) {
        if (generation != m_generation.load() || !open())
            return;
        // Priority "message": queued in order, and not cut by a screen
        // reader's own speech, which shares the service.
        spd_say(m_connection, SPD_MESSAGE, text.toUtf8().constData());
    }

    void stop() {
        if (m_connection)
            spd_cancel(m_connection);
    }

private:
    bool open() {
        if (!m_connection && !m_failed) {
            m_connection = spd_open("varendor", "gioco", nullptr, SPD_MODE_THREADED);
            m_failed = !m_connection;
            if (m_connection)
                spd_set_language(m_connection, "it");
        }
        return m_connection;
    }

    const std::atomic<quint64>& m_generation;
    SPDConnection* m_connection = nullptr;
    bool m_failed = false; // tried once and the service did not answer
};

SpeechDispatcher::SpeechDispatcher() : m_worker(new SpeechWorker(m_generation)) {
    m_worker->moveToThread(&m_thread);
    QObject::connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("speech"));
    m_thread.start();
}

SpeechDispatcher::~SpeechDispatcher() {
    m_generation.fetch_add(1);
    m_thread.quit();
    // A service that never answers must not keep the program from ending.
    if (!m_thread.wait(2000)) {
        m_thread.terminate();
        m_thread.wait();
    }
}

void SpeechDispatcher::speak(const QString& text) {
    if (text.trimmed().isEmpty())
        return;
    const quint64 generation = m_generation.load();
    QMetaObject::invokeMethod(m_worker,
                              [w = m_worker, text, generation] { w->speak(text, generation); });
}

void SpeechDispatcher::stop() {
    m_generation.fetch_add(1);
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->stop(); });
}
