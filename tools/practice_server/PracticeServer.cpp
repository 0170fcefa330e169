#include "practice_server/PracticeServer.h"

#include "practice_server/Ansi.h"
#include "practice_server/Cp1252.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace {
const QByteArray kWillEcho("\xff\xfb\x01", 3);
const QByteArray kWontEcho("\xff\xfc\x01", 3);
// The character set offer, and the request once the client agreed.
const QByteArray kWillCharset("\xff\xfb\x2a", 3);
const QByteArray kCharsetRequest("\xff\xfa\x2a\x01;UTF-8;WINDOWS-1252\xff\xf0");
// The offer of the character's data beside the text, and its frame.
const QByteArray kWillGmcp("\xff\xfb\xc9", 3);
const QByteArray kGmcpStart("\xff\xfa\xc9", 3);
const QByteArray kGmcpEnd("\xff\xf0", 2);

QString c(const char* seq) {
    return QLatin1String(seq);
}
} // namespace

PracticeServer::PracticeServer(QObject* parent) : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &PracticeServer::onNewConnection);
}

PracticeServer::~PracticeServer() {
    m_server.close();
    for (auto& p : m_players) {
        p->socket->disconnect(this);
        p->socket->abort();
    }
}

bool PracticeServer::listen(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

void PracticeServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (int(m_players.size()) >= kMaxConnections) {
            socket->write(Cp1252::encode(
                QStringLiteral("Il mondo di prova è pieno: riprova più tardi.\r\n")));
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        auto player = std::make_unique<Player>();
        player->socket = socket;
        player->room = m_world.startRoom();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        // Queued: a socket may report its end while one of its lines is
        // still being handled.
        connect(
            socket, &QTcpSocket::disconnected, this, [this, socket] { removePlayer(socket); },
            Qt::QueuedConnection);
        m_players.push_back(std::move(player));
        sendRaw(*m_players.back(), kWillCharset + kWillGmcp);
        greet(*m_players.back());
    }
}

PracticeServer::Player* PracticeServer::findPlayer(const QTcpSocket* socket) {
    for (auto& p : m_players) {
        if (p->socket == socket)
            return p.get();
    }
    return nullptr;
}

PracticeServer::Player* PracticeServer::findPlaying(const QString& name) {
    for (auto& p : m_players) {
        if (p->stage == Stage::Playing && p->name.compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

void PracticeServer::onReadyRead(QTcpSocket* socket) {
    Player* p = findPlayer(socket);
    if (!p)
        return;
    const QList<TelnetInput::Line> lines = p->input.feed(socket->readAll());
    followCharset(*p);
    followGmcp(*p);
    for (const TelnetInput::Line& line : lines) {
        if (p->stage == Stage::Leaving)
            break;
        handleLine(*p, line);
    }
}

void PracticeServer::removePlayer(QTcpSocket* socket) {
    for (auto it = m_players.begin(); it != m_players.end(); ++it) {
        if ((*it)->socket != socket)
            continue;
        std::unique_ptr<Player> gone = std::move(*it);
        m_players.erase(it);
        if (gone->inWorld) {
            notifyRoom(gone->room,
                       c(Ansi::kBrightYellow) + gone->name +
                           QStringLiteral(" svanisce nel nulla.") + c(Ansi::kReset),
                       nullptr);
        }
        socket->deleteLater();
        return;
    }
}

void PracticeServer::followCharset(Player& p) {
    for (const TelnetInput::Charset news : p.input.takeCharsetNews()) {
        if (news == TelnetInput::Charset::Agreed && !p.charsetRequested) {
            p.charsetRequested = true;
            writeOut(p, kCharsetRequest);
            p.input.requestSent();
            p.holding = true;
            QTimer::singleShot(kCharsetAnswerMs, p.socket, [this, socket = p.socket] {
                if (Player* waiting = findPlayer(socket))
                    releaseHeld(*waiting);
            });
        } else if (news != TelnetInput::Charset::Agreed) {
            releaseHeld(p);
        }
    }
}

void PracticeServer::followGmcp(Player& p) {
    if (p.gmcpOn == p.input.gmcp())
        return;
    p.gmcpOn = p.input.gmcp();
    sendVitals(p);
}

void PracticeServer::sendVitals(Player& p) {
    if (!p.gmcpOn || p.stage != Stage::Playing)
        return;
    const Vitals& v = p.vitals;
    const QByteArray body = QStringLiteral(R"({"hp":%1,"maxhp":%2,"mp":%3,"maxmp":%4,)"
                                           R"("mv":%5,"maxmv":%6})")
                                .arg(v.hp)
                                .arg(v.maxHp)
                                .arg(v.mp)
                                .arg(v.maxMp)
                                .arg(v.mv)
                                .arg(v.maxMv)
                                .toLatin1();
    sendRaw(p, kGmcpStart + "Char.Vitals " + body + kGmcpEnd);
}

void PracticeServer::releaseHeld(Player& p) {
    if (!p.holding)
        return;
    p.holding = false;
    const QList<Held> held = std::exchange(p.held, {});
    for (const Held& h : held) {
        if (h.isText)
            send(p, h.text);
        else
            sendRaw(p, h.bytes);
    }
}

void PracticeServer::send(Player& p, const QString& text) {
    if (p.holding)
        p.held.append({true, text, {}});
    else
        writeOut(p, p.input.utf8() ? text.toUtf8() : Cp1252::encode(text));
}

void PracticeServer::sendRaw(Player& p, const QByteArray& bytes) {
    if (p.holding)
        p.held.append({false, {}, bytes});
    else
        writeOut(p, bytes);
}

void PracticeServer::writeOut(Player& p, const QByteArray& bytes) {
    if (p.stage == Stage::Leaving || p.socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (p.socket->bytesToWrite() + bytes.size() > kMaxPendingOutput) {
        p.stage = Stage::Leaving;
        p.socket->abort();
        return;
    }
    p.socket->write(bytes);
}

void PracticeServer::sendPrompt(Player& p) {
    const Vitals& v = p.vitals;
    send(p, QStringLiteral("\r\n") + c(Ansi::kBrightGreen) +
                QStringLiteral("<%1 HP:%2/%3 MP:%4/%5 MV:%6/%7>")
                    .arg(p.name)
                    .arg(v.hp)
                    .arg(v.maxHp)
                    .arg(v.mp)
                    .arg(v.maxMp)
                    .arg(v.mv)
                    .arg(v.maxMv) +
                c(Ansi::kReset) + QStringLiteral(" "));
}

void PracticeServer::notify(Player& p, const QString& text) {
    if (p.stage != Stage::Playing)
        return;
    send(p, QStringLiteral("\r\n") + text + QStringLiteral("\r\n"));
    sendPrompt(p);
}

void PracticeServer::notifyRoom(int room, const QString& text, const Player* except) {
    for (auto& other : m_players) {
        if (other.get() != except && other->stage == Stage::Playing && other->room == room)
            notify(*other, text);
    }
}

void PracticeServer::greet(Player& p) {
    // Both pairs of line ends appear here on purpose: the game has always
    // sent some LF CR, and a client must show both as one break.
    QString text;
    text += c(Ansi::kBrightGreen) + QStringLiteral("=================================") +
            c(Ansi::kReset) + QStringLiteral("\r\n");
    text += c(Ansi::kBrightYellow) + QStringLiteral("   Benvenuto a Varendor!") + c(Ansi::kReset) +
            QStringLiteral("\n\r");
    text += c(Ansi::kWhite) + QStringLiteral("   Questo è il ") + c(Ansi::kBrightCyan) +
            QStringLiteral("mondo di prova") + c(Ansi::kWhite) +
            QStringLiteral(": un piccolo borgo dove imparare") + QStringLiteral("\n\r");
    text += QStringLiteral("   a usare il programma prima di entrare nel gioco vero.") +
            c(Ansi::kReset) + QStringLiteral("\r\n");
    text += c(Ansi::kBrightGreen) + QStringLiteral("=================================") +
            c(Ansi::kReset) + QStringLiteral("\r\n\r\n");
    text += QStringLiteral("Come ti chiami, viandante? ");
    send(p, text);
}

void PracticeServer::handleLine(Player& p, const TelnetInput::Line& line) {
    if (line.tooLong && p.stage != Stage::Password) {
        send(p, c(Ansi::kBrightRed) +
                    QStringLiteral("Riga troppo lunga: il server non l'ha accettata.") +
                    c(Ansi::kReset) + QStringLiteral("\r\n"));
        if (p.stage == Stage::Playing)
            sendPrompt(p);
        else
            send(p, QStringLiteral("Come ti chiami, viandante? "));
        return;
    }
    switch (p.stage) {
    case Stage::Name:
        handleName(p, line.text);
        break;
    case Stage::Password:
        handlePassword(p);
        break;
    case Stage::Playing:
        handleCommand(p, line.text);
        break;
    case Stage::Leaving:
        break;
    }
}

void PracticeServer::handleName(Player& p, const QString& text) {
    const QString word = text.trimmed().section(u' ', 0, 0, QString::SectionSkipEmpty);
    const QString lower = word.toLower();
    if (lower == u"fine" || lower == u"quit") {
        leave(p);
        return;
    }
    if (word.isEmpty()) {
        send(p, QStringLiteral("Devi pur chiamarti in qualche modo. Come ti chiami? "));
        return;
    }
    QString name = word.left(kMaxNameLength).toLower();
    name[0] = name[0].toUpper();
    p.name = name;
    p.stage = Stage::Password;
    // The client stops echoing while the server "will echo": the password
    // never shows on the player's screen.
    send(p, m_characters.contains(name.toLower())
                ? QStringLiteral("Parola d'ordine: ")
                : QStringLiteral("Nuovo personaggio. Scegli una parola d'ordine: "));
    sendRaw(p, kWillEcho);
}

void PracticeServer::handlePassword(Player& p) {
    sendRaw(p, kWontEcho + "\r\n");
    const QString key = p.name.toLower();
    const bool created = !m_characters.contains(key);
    m_characters.insert(key);
    if (Player* old = findPlaying(p.name); old && old != &p) {
        // The same player coming back: the newer connection wins.
        send(*old, QStringLiteral("\r\n") + c(Ansi::kBrightRed) +
                       QStringLiteral("Qualcuno è entrato con il tuo nome da un'altra "
                                      "connessione.") +
                       c(Ansi::kReset) + QStringLiteral("\r\n"));
        releaseHeld(*old); // what it was waiting to read goes out before the end
        old->stage = Stage::Leaving;
        old->inWorld = false;
        old->socket->disconnectFromHost();
    }
    enterWorld(p, created);
}

void PracticeServer::enterWorld(Player& p, bool created) {
    p.stage = Stage::Playing;
    p.inWorld = true;
    p.room = m_world.startRoom();
    QString text = created ? QStringLiteral("Il personaggio ") + p.name +
                                 QStringLiteral(" è stato creato. Buon divertimento!\r\n")
                           : QStringLiteral("Bentornato, ") + p.name + QStringLiteral("!\r\n");
    text += QStringLiteral("Scrivi ") + c(Ansi::kBrightYellow) + QStringLiteral("aiuto") +
            c(Ansi::kReset) + QStringLiteral(" per l'elenco dei comandi.\r\n\r\n");
    send(p, text + roomText(p));
    sendVitals(p);
    sendPrompt(p);
    notifyRoom(p.room,
               c(Ansi::kBrightYellow) + p.name + QStringLiteral(" entra nel mondo di prova.") +
                   c(Ansi::kReset),
               &p);
}

void PracticeServer::leave(Player& p) {
    send(p,
         QStringLiteral("\r\n") + QString::fromLatin1(farewellPhrase()) + QStringLiteral("\r\n"));
    releaseHeld(p);
    const bool wasPlaying = p.stage == Stage::Playing;
    p.stage = Stage::Leaving;
    p.inWorld = false;
    if (wasPlaying) {
        notifyRoom(p.room,
                   c(Ansi::kBrightYellow) + p.name + QStringLiteral(" lascia il mondo di prova.") +
                       c(Ansi::kReset),
                   &p);
    }
    // Sends what is still queued, then closes.
    p.socket->disconnectFromHost();
}
