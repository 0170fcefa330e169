#pragma once
// The practice game server: accepts players on the loopback address, greets
// them, asks name and password, and runs the practice world's commands.
// Every connection is its own player; nothing is kept after the process ends.
#include "practice_server/NoteBoard.h"
#include "practice_server/TelnetInput.h"
#include "practice_server/World.h"

#include <QObject>
#include <QSet>
#include <QTcpServer>
#include <memory>
#include <vector>

class QTcpSocket;

class PracticeServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 4000;
    static constexpr int kFloodLines = 300;
    static constexpr int kMaxNameLength = 20;
    static constexpr int kMaxNoteLines = 200;
    static constexpr int kMaxConnections = 32;
    // A player whose client stops reading is dropped once this much output
    // waits for it, so one stuck client cannot eat the server's memory.
    static constexpr qint64 kMaxPendingOutput = 4 * 1024 * 1024;
    // How long output waits for the answer to the character set request
    // before it goes out in the code page anyway.
    static constexpr int kCharsetAnswerMs = 3000;

    explicit PracticeServer(QObject* parent = nullptr);
    ~PracticeServer() override;

    // Listens on 127.0.0.1 only; port 0 picks a free one.
    bool listen(quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    int connectionCount() const { return int(m_players.size()); }

    static QByteArray farewellPhrase() { return "Adde parvum parvo magnus acervus erit"; }

private:
    enum class Stage { Name, Password, Playing, Leaving };
    struct Draft {
        QString recipients, subject;
        QStringList lines;
        bool isEmpty() const {
            return recipients.isEmpty() && subject.isEmpty() && lines.isEmpty();
        }
    };
    // The character's state, shown in the prompt and, to a client that
    // agreed, sent as data beside the text.
    struct Vitals {
        int hp = 500, maxHp = 500;
        int mp = 300, maxMp = 300;
        int mv = 200, maxMv = 200;
    };
    struct Held {
        bool isText = false;
        QString text;
        QByteArray bytes;
    };
    struct Player {
        QTcpSocket* socket = nullptr;
        TelnetInput input;
        Stage stage = Stage::Name;
        QString name;
        int room = 0;
        bool inWorld = false; // seen by others; cleared once its leaving is told
        Draft draft;
        Vitals vitals;
        bool gmcpOn = false; // the client agreed to option 201
        bool charsetRequested = false;
        // Between the character set request and its answer the client reads
        // what comes as UTF-8 already: output waits, to go out in the
        // encoding agreed.
        bool holding = false;
        QList<Held> held;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void removePlayer(QTcpSocket* socket);
    Player* findPlayer(const QTcpSocket* socket);
    Player* findPlaying(const QString& name);

    // Output: text is Unicode with "\r\n" line ends, sent as Windows-1252,
    // or as UTF-8 once the client accepted it.
    void send(Player& p, const QString& text);
    void sendRaw(Player& p, const QByteArray& bytes);
    void writeOut(Player& p, const QByteArray& bytes);
    void followCharset(Player& p);
    void releaseHeld(Player& p);
    void sendPrompt(Player& p);
    void followGmcp(Player& p);
    void sendVitals(Player& p);
    // A message that reaches a player who is sitting at the prompt.
    void notify(Player& p, const QString& text);
    void notifyRoom(int room, const QString& text, const Player* except);

    void greet(Player& p);
    void handleLine(Player& p, const TelnetInput::Line& line);
    void handleName(Player& p, const QString& text);
    void handlePassword(Player& p); // any password will do
    void enterWorld(Player& p, bool created);
    void leave(Player& p);

    // The world's commands (PracticeCommands.cpp).
    void handleCommand(Player& p, const QString& text);
    QString roomText(const Player& p) const;
    void move(Player& p, Direction d);
    void say(Player& p, const QString& what);
    QString whoText() const;
    QString helpText() const;
    QString floodText() const;
    QString fightAnswer(Player& p);
    QString restAnswer(Player& p);
    static QString helpLine(const QString& name, const QString& what, int width);
    QString noteCommand(Player& p, const QString& rest);
    QString noteList(const Player& p) const;
    QString noteShow(const Player& p, const QString& which) const;
    QString draftText(const Player& p) const;
    void announceNote(const Player& author, int number, const Note& note);

    QTcpServer m_server;
    std::vector<std::unique_ptr<Player>> m_players;
    // Names (lower case) that have a character; any password is accepted,
    // so none is kept.
    QSet<QString> m_characters;
    World m_world;
    NoteBoard m_board;
};
