#include "practice_server/World.h"

#include "practice_server/Ansi.h"

namespace {
constexpr int N = int(Direction::Nord), S = int(Direction::Sud), E = int(Direction::Est),
              O = int(Direction::Ovest), U = int(Direction::Su), G = int(Direction::Giu);

QString hl(const char* colour, const QString& word) {
    return QLatin1String(colour) + word + QLatin1String(Ansi::kWhite);
}

std::array<int, kDirectionCount> noExits() {
    std::array<int, kDirectionCount> a;
    a.fill(-1);
    return a;
}
} // namespace

World::World() {
    enum { Piazza, Taverna, Soffitta, Bottega, Tempio, Cripta, Porta, Sentiero, Count };
    m_rooms.resize(Count);
    for (Room& r : m_rooms)
        r.exits = noExits();
    auto link = [this](int from, int dir, int to, int back) {
        m_rooms[from].exits[dir] = to;
        m_rooms[to].exits[back] = from;
    };
    link(Piazza, N, Taverna, S);
    link(Taverna, U, Soffitta, G);
    link(Piazza, E, Bottega, O);
    link(Piazza, O, Tempio, E);
    link(Tempio, G, Cripta, U);
    link(Piazza, S, Porta, N);
    link(Porta, S, Sentiero, N);

    m_rooms[Piazza].name = QStringLiteral("Piazza del Pozzo");
    m_rooms[Piazza].description = {
        QStringLiteral("Sei nel cuore del borgo di Varendor. Al centro della piazza un vecchio"),
        QStringLiteral("%1 di pietra raccoglie l'acqua piovana; intorno le case si stringono")
            .arg(hl(Ansi::kBrightCyan, QStringLiteral("pozzo"))),
        QStringLiteral("l'una all'altra. A nord si sentono le risate della %1, a est")
            .arg(hl(Ansi::kBrightYellow, QStringLiteral("taverna"))),
        QStringLiteral("risuona il martello del fabbro, a ovest s'innalza il tempio e a sud"),
        QStringLiteral("si apre la porta del borgo."),
    };
    m_rooms[Taverna].name = QStringLiteral("Taverna del Cinghiale");
    m_rooms[Taverna].description = {
        QStringLiteral("Fumo, vino e chiacchiere. Lunghe tavole di quercia riempiono la sala e"),
        QStringLiteral("sopra il %1 gira lento uno spiedo. Il taverniere asciuga i boccali")
            .arg(hl(Ansi::kBrightRed, QStringLiteral("camino"))),
        QStringLiteral("senza staccare gli occhi dalla porta. Una scala di legno sale alla"),
        QStringLiteral("soffitta; a sud si torna in piazza."),
    };
    m_rooms[Soffitta].name = QStringLiteral("Soffitta della taverna");
    m_rooms[Soffitta].description = {
        QStringLiteral("Sotto le travi basse dormono sacchi di farina e vecchie botti. Da una"),
        QStringLiteral("finestrella entra un filo di %1 che illumina la polvere sospesa.")
            .arg(hl(Ansi::kBrightYellow, QStringLiteral("luce"))),
        QStringLiteral("La scala scende alla taverna."),
    };
    m_rooms[Bottega].name = QStringLiteral("Bottega del fabbro");
    m_rooms[Bottega].description = {
        QStringLiteral("Il calore della %1 ti colpisce in viso. Spade, zappe e ferri di cavallo")
            .arg(hl(Ansi::kBrightRed, QStringLiteral("forgia"))),
        QStringLiteral("pendono dalle pareti annerite. Il fabbro, un omone taciturno, batte il"),
        QStringLiteral("ferro rovente sull'incudine. L'uscita è a ovest, verso la piazza."),
    };
    m_rooms[Tempio].name = QStringLiteral("Tempio della Fiamma");
    m_rooms[Tempio].description = {
        QStringLiteral("Colonne bianche reggono una volta dipinta di stelle. Sull'altare arde"),
        QStringLiteral("una %1 che nessuno ricorda di aver acceso. Una botola nel pavimento")
            .arg(hl(Ansi::kBrightMagenta, QStringLiteral("fiamma azzurra"))),
        QStringLiteral("scende nella cripta; a est torni in piazza."),
    };
    m_rooms[Cripta].name = QStringLiteral("Cripta");
    m_rooms[Cripta].description = {
        QStringLiteral("Buio e silenzio. Le %1 dei fondatori del borgo riposano in nicchie")
            .arg(hl(Ansi::kLightGrey, QStringLiteral("ossa"))),
        QStringLiteral("scavate nella roccia. Su una lapide si legge a fatica: %1")
            .arg(hl(Ansi::kBrightGreen, QStringLiteral("\"Qui vegliano i padri della città.\""))),
        QStringLiteral("Una scala sale al tempio."),
    };
    m_rooms[Porta].name = QStringLiteral("Porta del borgo");
    m_rooms[Porta].description = {
        QStringLiteral("Due torri di guardia affiancano un portone di legno rinforzato. Una"),
        QStringLiteral("%1 annoiata ti squadra e torna a guardare la strada. A nord la")
            .arg(hl(Ansi::kBrightBlue, QStringLiteral("guardia"))),
        QStringLiteral("piazza, a sud un sentiero si perde nel bosco."),
    };
    m_rooms[Sentiero].name = QStringLiteral("Sentiero nel bosco");
    m_rooms[Sentiero].description = {
        QStringLiteral("Il sentiero serpeggia tra %1 e noccioli. Più avanti il bosco si fa")
            .arg(hl(Ansi::kBrightGreen, QStringLiteral("faggi"))),
        QStringLiteral("fitto e scuro: per oggi è meglio non andare oltre. A nord si vede la"),
        QStringLiteral("porta del borgo."),
        QStringLiteral("Il vento soffia tra gli alberi."),
    };
}

const Room& World::room(int index) const {
    if (index < 0 || index >= roomCount())
        return m_rooms[startRoom()];
    return m_rooms[index];
}

int World::exit(int r, Direction d) const {
    return room(r).exits[int(d)];
}

std::optional<Direction> World::parseDirection(const QString& word) {
    const QString w = word.toLower();
    if (w == u"nord" || w == u"n")
        return Direction::Nord;
    if (w == u"sud" || w == u"s")
        return Direction::Sud;
    if (w == u"est" || w == u"e")
        return Direction::Est;
    if (w == u"ovest" || w == u"o")
        return Direction::Ovest;
    if (w == u"su")
        return Direction::Su;
    if (w == u"giu" || w == QStringLiteral("giù"))
        return Direction::Giu;
    return std::nullopt;
}

QString World::directionName(Direction d) {
    switch (d) {
    case Direction::Nord:
        return QStringLiteral("nord");
    case Direction::Sud:
        return QStringLiteral("sud");
    case Direction::Est:
        return QStringLiteral("est");
    case Direction::Ovest:
        return QStringLiteral("ovest");
    case Direction::Su:
        return QStringLiteral("su");
    case Direction::Giu:
        return QStringLiteral("giu");
    }
    return {};
}

QString World::leavingPhrase(Direction d) {
    switch (d) {
    case Direction::Su:
        return QStringLiteral("sale");
    case Direction::Giu:
        return QStringLiteral("scende");
    default:
        return QStringLiteral("va a ") + directionName(d);
    }
}
