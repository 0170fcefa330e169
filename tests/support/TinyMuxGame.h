#pragma once
// A real game server for integration tests: a fresh TinyMUX game made from
// the Debian package in a temporary folder, listening on loopback only on a
// free port, run in the foreground and stopped by its process id.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class TinyMuxGame {
public:
    static constexpr const char* kInstaller = "/usr/games/tinymux-install";
    static bool installed();

    TinyMuxGame() = default;
    ~TinyMuxGame();
    TinyMuxGame(const TinyMuxGame&) = delete;
    TinyMuxGame& operator=(const TinyMuxGame&) = delete;

    // Makes the game and starts it; true once it accepts connections.
    // On false, error() says why.
    bool start(int ms = 20000);
    // SIGTERM to the server's pid; true when it exited within ms.
    bool stop(int ms = 10000);

    quint16 port() const { return m_port; }
    QString error() const { return m_error; }
    // What the server wrote on its standard output and error so far.
    QByteArray output();

private:
    bool fail(const QString& why);
    bool install();
    bool configure();
    bool launch(int ms);

    QTemporaryDir m_dir;
    QString m_game; // the tinymux/game folder
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
    QByteArray m_output;
};
