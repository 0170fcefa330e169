#pragma once
// The practice world on this machine: when the game server is set to this
// machine and nothing listens on its port, the client starts the practice
// server there itself, connects once it listens, and ends it when the client
// ends. The program ships beside the client (the build folder) or in
// ../libexec/varendor/ (an installed client).
#include <QByteArray>
#include <QObject>
#include <QString>

class QProcess;

class PracticeWorld : public QObject {
    Q_OBJECT
public:
    // The practice server's program name.
    static constexpr char kProgramName[] = "varendor-practice-server";

    explicit PracticeWorld(QObject* parent = nullptr);
    ~PracticeWorld() override;

    // The program found for a client in clientFolder; empty when none.
    static QString findProgram(const QString& clientFolder);
    // True for the names of this machine the practice server answers on.
    static bool isThisMachine(const QString& host);
    // True when nothing listens on the loopback port.
    static bool portIsFree(quint16 port);

    // The program started; empty starts none. The client's own is the default.
    void setProgram(const QString& program) { m_program = program; }
    const QString& program() const { return m_program; }

    // Before connecting to host and port: true when the practice server is
    // being started there (or was, and does not listen yet); ready() says
    // when to connect. False: connect at once.
    bool startFor(const QString& host, quint16 port);
    // Ours is running.
    bool isRunning() const;
    // Started, not yet listening.
    bool isStarting() const { return m_starting; }
    // Why the last start gave no practice world (Italian); empty when it
    // listened or another server had the port.
    const QString& problem() const { return m_problem; }

signals:
    // The start is over, listening or not: time to connect.
    void ready();

private:
    void finishStart(const QString& problem);
    void stop();

    QString m_program;
    QProcess* m_process = nullptr;
    bool m_starting = false;
    QString m_problem;
    QByteArray m_said; // what it wrote while starting
};
