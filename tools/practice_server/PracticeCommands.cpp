// The practice world's commands, answered in colour.
#include "practice_server/Ansi.h"
#include "practice_server/ColourChart.h"
#include "practice_server/PracticeServer.h"

#include <algorithm>
#include <utility>

namespace {
QString c(const char* seq) {
    return QLatin1String(seq);
}
const QString kCrLf = QStringLiteral("\r\n");

QString notice(const QString& text) {
    return c(Ansi::kBrightRed) + text + c(Ansi::kReset) + kCrLf;
}
} // namespace

void PracticeServer::handleCommand(Player& p, const QString& text) {
    // The rest keeps its inner and trailing spaces: note lines are sent as typed.
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    const QString line = text.mid(start);
    const qsizetype space = line.indexOf(u' ');
    const QString verb = (space < 0 ? line.trimmed() : line.left(space)).toLower();
    QString rest = space < 0 ? QString() : line.mid(space);
    while (!rest.isEmpty() && rest.front().isSpace())
        rest.remove(0, 1);

    if (verb.isEmpty()) {
        sendPrompt(p);
        return;
    }
    if (verb == u"fine" || verb == u"quit") {
        leave(p);
        return;
    }
    if (const auto d = World::parseDirection(verb)) {
        move(p, *d);
        sendPrompt(p);
        return;
    }
    QString answer;
    if (verb == u"guarda") {
        answer = roomText(p);
    } else if (verb == u"di") {
        say(p, rest);
        sendPrompt(p);
        return;
    } else if (verb == u"chi") {
        answer = whoText();
    } else if (verb == u"aiuto") {
        answer = helpText();
    } else if (verb == u"nota") {
        answer = noteCommand(p, rest);
    } else if (verb == u"colori") {
        answer = ColourChart::text(p.input.utf8());
    } else if (verb == u"combatti") {
        answer = fightAnswer(p);
    } else if (verb == u"riposa") {
        answer = restAnswer(p);
    } else if (verb == u"flood" || verb == u"inonda") {
        answer = floodText();
    } else {
        answer = QStringLiteral("Non capisco. Scrivi ") + c(Ansi::kBrightYellow) +
                 QStringLiteral("aiuto") + c(Ansi::kReset) +
                 QStringLiteral(" per l'elenco dei comandi.") + kCrLf;
    }
    send(p, answer);
    sendPrompt(p);
}

QString PracticeServer::fightAnswer(Player& p) {
    constexpr int kHpCost = 60, kMpCost = 30, kMvCost = 20;
    Vitals& v = p.vitals;
    if (v.hp <= kHpCost || v.mp < kMpCost || v.mv < kMvCost)
        return notice(QStringLiteral("Sei troppo stanco per combattere: prima riposa."));
    v.hp -= kHpCost;
    v.mp -= kMpCost;
    v.mv -= kMvCost;
    sendVitals(p);
    return QStringLiteral("Affronti il fantoccio di paglia dell'arena e ne esci malconcio: ") +
           kCrLf +
           QStringLiteral("perdi %1 punti di salute, %2 di mana e %3 di movimento.")
               .arg(kHpCost)
               .arg(kMpCost)
               .arg(kMvCost) +
           kCrLf + QStringLiteral("Hai ucciso il fantoccio di paglia.") + kCrLf;
}

QString PracticeServer::restAnswer(Player& p) {
    Vitals& v = p.vitals;
    if (v.hp == v.maxHp && v.mp == v.maxMp && v.mv == v.maxMv)
        return QStringLiteral("Sei già riposato.") + kCrLf;
    v.hp = v.maxHp;
    v.mp = v.maxMp;
    v.mv = v.maxMv;
    sendVitals(p);
    return QStringLiteral("Ti siedi a riposare e ti senti di nuovo in forze.") + kCrLf;
}

QString PracticeServer::roomText(const Player& p) const {
    const Room& room = m_world.room(p.room);
    QString text = c(Ansi::kBrightCyan) + room.name + c(Ansi::kReset) + kCrLf;
    text += c(Ansi::kWhite);
    for (const QString& line : room.description)
        text += line + kCrLf;
    QStringList exits;
    for (int d = 0; d < kDirectionCount; ++d) {
        if (room.exits[d] >= 0)
            exits << World::directionName(Direction(d));
    }
    text += c(Ansi::kGreen) + QStringLiteral("[Uscite: ") + exits.join(u' ') + QStringLiteral("]") +
            c(Ansi::kReset) + kCrLf;
    for (const auto& other : m_players) {
        if (other.get() != &p && other->stage == Stage::Playing && other->room == p.room)
            text += c(Ansi::kBrightYellow) + other->name + QStringLiteral(" è qui.") +
                    c(Ansi::kReset) + kCrLf;
    }
    return text;
}

void PracticeServer::move(Player& p, Direction d) {
    const int to = m_world.exit(p.room, d);
    if (to < 0) {
        send(p, QStringLiteral("Non puoi andare da quella parte.") + kCrLf);
        return;
    }
    const int from = p.room;
    p.room = to;
    notifyRoom(from,
               c(Ansi::kYellow) + p.name + QLatin1Char(' ') + World::leavingPhrase(d) +
                   QLatin1Char('.') + c(Ansi::kReset),
               &p);
    send(p, roomText(p));
    notifyRoom(to, c(Ansi::kYellow) + p.name + QStringLiteral(" arriva.") + c(Ansi::kReset), &p);
}

void PracticeServer::say(Player& p, const QString& what) {
    const QString words = what.trimmed();
    if (words.isEmpty()) {
        send(p, QStringLiteral("Cosa vuoi dire?") + kCrLf);
        return;
    }
    send(p, c(Ansi::kBrightMagenta) + QStringLiteral("Dici '") + words + QStringLiteral("'") +
                c(Ansi::kReset) + kCrLf);
    notifyRoom(p.room,
               c(Ansi::kBrightMagenta) + p.name + QStringLiteral(" dice '") + words +
                   QStringLiteral("'") + c(Ansi::kReset),
               &p);
}

QString PracticeServer::whoText() const {
    QString text = c(Ansi::kBrightCyan) + QStringLiteral("Giocatori nel mondo di prova:") +
                   c(Ansi::kReset) + kCrLf;
    int count = 0;
    for (const auto& other : m_players) {
        if (other->stage != Stage::Playing)
            continue;
        ++count;
        text += QStringLiteral("  ") + c(Ansi::kBrightYellow) +
                other->name.leftJustified(kMaxNameLength) + c(Ansi::kGreen) +
                m_world.room(other->room).name + c(Ansi::kReset) + kCrLf;
    }
    text += count == 1 ? QStringLiteral("Un giocatore in tutto.")
                       : QStringLiteral("%1 giocatori in tutto.").arg(count);
    return text + kCrLf;
}

QString PracticeServer::helpLine(const QString& name, const QString& what, int width) {
    return QStringLiteral("  ") + c(Ansi::kBrightYellow) + name.leftJustified(width) +
           c(Ansi::kWhite) + what + kCrLf;
}

QString PracticeServer::helpText() const {
    static const std::pair<const char*, const char*> commands[] = {
        {"guarda", "descrive il luogo dove ti trovi"},
        {"nord sud est ovest", "ti muovi (anche n s e o)"},
        {"su giu", "sali o scendi"},
        {"di <testo>", "parli a chi è con te"},
        {"chi", "elenca i giocatori presenti"},
        {"nota a <nomi>", "destinatari di una nota (TUTTI per tutti)"},
        {"nota soggetto <testo>", "soggetto della nota"},
        {"nota + <riga>", "aggiunge una riga alla nota"},
        {"nota spedisci", "affigge la nota in bacheca"},
        {"nota leggi [numero]", "elenca o legge le note"},
        {"nota mostra, nota annulla", "mostra o scarta la nota in corso"},
        {"colori", "i 256 colori e le sfumature a 24 bit"},
        {"combatti", "ti alleni all'arena: costa salute, mana e movimento"},
        {"riposa", "ti rimette in forze"},
        {"inonda (o flood)", "tante righe colorate, per provare lo schermo"},
        {"fine (o quit)", "esci dal gioco"},
    };
    // The widest name and two blanks: every description starts in one column.
    qsizetype width = 0;
    for (const auto& [name, what] : commands)
        width = std::max(width, QString::fromUtf8(name).size());
    QString text = c(Ansi::kBrightCyan) + QStringLiteral("Comandi del mondo di prova:") +
                   c(Ansi::kReset) + kCrLf;
    for (const auto& [name, what] : commands)
        text += helpLine(QString::fromUtf8(name), QString::fromUtf8(what), int(width) + 2);
    text += c(Ansi::kWhite) +
            QStringLiteral("Nelle note i codici {{ e una lettera colorano il testo;") + kCrLf +
            QStringLiteral("le lettere sono g G r R v V t T b B m M c C Z p.") + c(Ansi::kReset) +
            kCrLf;
    return text;
}

QString PracticeServer::floodText() const {
    static const char* const colours[] = {
        Ansi::kBrightRed,     Ansi::kBrightGreen, Ansi::kBrightYellow, Ansi::kBrightBlue,
        Ansi::kBrightMagenta, Ansi::kBrightCyan,  Ansi::kRed,          Ansi::kGreen,
        Ansi::kYellow,        Ansi::kBlue,        Ansi::kMagenta,      Ansi::kCyan,
        Ansi::kGrey,          Ansi::kLightGrey,   Ansi::kWhite};
    constexpr int n = int(std::size(colours));
    QString text;
    text.reserve(kFloodLines * 90);
    for (int i = 1; i <= kFloodLines; ++i) {
        text += c(colours[i % n]) + QStringLiteral("Riga %1").arg(i, 3, 10, QLatin1Char('0')) +
                c(Ansi::kWhite) + QStringLiteral(" - il fiume di parole scorre ") +
                c(colours[(i * 7) % n]) + QStringLiteral("senza fine") + c(Ansi::kReset) +
                QStringLiteral(" verso il mare.") + kCrLf;
    }
    return text;
}

QString PracticeServer::noteCommand(Player& p, const QString& rest) {
    const qsizetype space = rest.indexOf(u' ');
    const QString sub = (space < 0 ? rest : rest.left(space)).toLower();
    const QString arg = space < 0 ? QString() : rest.mid(space + 1).trimmed();
    const QString ok = c(Ansi::kGreen);

    if (rest.startsWith(u'+')) {
        // "nota + " with nothing after it is an empty line of the note.
        QString line = rest.mid(1);
        if (line.startsWith(u' '))
            line.remove(0, 1);
        if (p.draft.lines.size() >= kMaxNoteLines)
            return notice(QStringLiteral("La nota è già troppo lunga: spediscila o annullala."));
        p.draft.lines << line;
        return ok + QStringLiteral("Riga %1 aggiunta alla nota.").arg(p.draft.lines.size()) +
               c(Ansi::kReset) + kCrLf;
    }
    if (sub == u"a") {
        if (arg.isEmpty())
            return notice(QStringLiteral("A chi vuoi scrivere? Uso: nota a <nomi>"));
        p.draft.recipients = arg;
        return ok + QStringLiteral("Destinatari della nota: ") + c(Ansi::kReset) +
               Ansi::noteColoursToAnsi(arg) + kCrLf;
    }
    if (sub == u"soggetto") {
        if (arg.isEmpty())
            return notice(QStringLiteral("Quale soggetto? Uso: nota soggetto <testo>"));
        p.draft.subject = arg;
        return ok + QStringLiteral("Soggetto della nota: ") + c(Ansi::kReset) +
               Ansi::noteColoursToAnsi(arg) + kCrLf;
    }
    if (sub == u"spedisci") {
        if (p.draft.recipients.isEmpty())
            return notice(QStringLiteral("La nota non ha destinatari: usa nota a <nomi>."));
        if (p.draft.subject.isEmpty())
            return notice(QStringLiteral("La nota non ha soggetto: usa nota soggetto <testo>."));
        const Note note{p.name, p.draft.recipients, p.draft.subject, p.draft.lines};
        const int number = m_board.post(note);
        p.draft = Draft();
        announceNote(p, number, note);
        return ok + QStringLiteral("Nota spedita: è la numero %1 della bacheca.").arg(number) +
               c(Ansi::kReset) + kCrLf;
    }
    if (sub == u"leggi")
        return arg.isEmpty() ? noteList(p) : noteShow(p, arg);
    if (sub == u"mostra")
        return draftText(p);
    if (sub == u"annulla") {
        p.draft = Draft();
        return ok + QStringLiteral("Nota scartata.") + c(Ansi::kReset) + kCrLf;
    }
    return QStringLiteral("Comandi delle note: nota a, nota soggetto, nota +, nota spedisci, ") +
           QStringLiteral("nota leggi, nota mostra, nota annulla.") + kCrLf;
}

QString PracticeServer::noteList(const Player& p) const {
    QString text;
    for (int i = m_board.firstNumber(); i <= m_board.lastNumber(); ++i) {
        const Note* n = m_board.note(i);
        if (!NoteBoard::canRead(*n, p.name))
            continue;
        text += c(Ansi::kBrightYellow) + QStringLiteral("%1) ").arg(i, 3) + c(Ansi::kWhite) +
                n->author + QStringLiteral(" a ") + n->recipients + QStringLiteral(": ") +
                c(Ansi::kReset) + Ansi::noteColoursToAnsi(n->subject) + kCrLf;
    }
    if (text.isEmpty())
        return QStringLiteral("Non ci sono note per te in bacheca.") + kCrLf;
    return c(Ansi::kBrightCyan) + QStringLiteral("Note in bacheca:") + c(Ansi::kReset) + kCrLf +
           text;
}

QString PracticeServer::noteShow(const Player& p, const QString& which) const {
    bool isNumber = false;
    const int number = which.toInt(&isNumber);
    const Note* n = isNumber ? m_board.note(number) : nullptr;
    if (!n || !NoteBoard::canRead(*n, p.name))
        return notice(QStringLiteral("Non c'è nessuna nota %1 per te.").arg(which));
    QString text = c(Ansi::kBrightCyan) + QStringLiteral("Nota %1").arg(number) + c(Ansi::kWhite) +
                   QStringLiteral(" di ") + n->author + QStringLiteral(" a ") + n->recipients +
                   c(Ansi::kReset) + kCrLf;
    text += c(Ansi::kWhite) + QStringLiteral("Soggetto: ") + c(Ansi::kReset) +
            Ansi::noteColoursToAnsi(n->subject) + kCrLf;
    for (const QString& line : n->lines)
        text += Ansi::noteColoursToAnsi(line) + kCrLf;
    return text;
}

QString PracticeServer::draftText(const Player& p) const {
    if (p.draft.isEmpty())
        return QStringLiteral("Non stai scrivendo nessuna nota.") + kCrLf;
    QString text = c(Ansi::kWhite) + QStringLiteral("A: ") + c(Ansi::kReset) +
                   Ansi::noteColoursToAnsi(p.draft.recipients) + kCrLf;
    text += c(Ansi::kWhite) + QStringLiteral("Soggetto: ") + c(Ansi::kReset) +
            Ansi::noteColoursToAnsi(p.draft.subject) + kCrLf;
    for (const QString& line : p.draft.lines)
        text += Ansi::noteColoursToAnsi(line) + kCrLf;
    return text;
}

void PracticeServer::announceNote(const Player& author, int number, const Note& note) {
    for (auto& other : m_players) {
        if (other.get() != &author && other->stage == Stage::Playing &&
            NoteBoard::canRead(note, other->name))
            notify(*other, c(Ansi::kBrightYellow) +
                               QStringLiteral("Una nuova nota di %1 in bacheca: nota leggi %2")
                                   .arg(author.name)
                                   .arg(number) +
                               c(Ansi::kReset));
    }
}
