#include "protocol/CharVitals.h"
#include "protocol/GmcpMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
// A message's body as compact JSON, "-" for none: bare values included.
QByteArray bodyText(const GmcpMessage& m) {
    if (m.data.isUndefined())
        return "-";
    const QByteArray wrapped = QJsonDocument(QJsonArray{m.data}).toJson(QJsonDocument::Compact);
    return wrapped.sliced(1, wrapped.size() - 2);
}
} // namespace

class TstGmcpMessage : public QObject {
    Q_OBJECT
private slots:
    void parsesNameAndBody() {
        struct Case {
            QByteArray payload;
            const char* package; // null: ignored
            QByteArray body;
        };
        const QByteArray overlong = "Room.Info \"" + QByteArray(GmcpMessage::kMaxSize, 'x') + '"';
        const Case cases[] = {
            {R"(Char.Vitals {"hp":151,"maxhp":500})", "Char.Vitals", R"({"hp":151,"maxhp":500})"},
            {"Core.Goodbye \"Addio\"", "Core.Goodbye", "\"Addio\""},
            {"Char.Hp 120", "Char.Hp", "120"},
            {"Char.Flag true", "Char.Flag", "true"},
            {"Char.Empty null", "Char.Empty", "null"},
            {"Core.Ping", "Core.Ping", "-"},
            {"Core.Ping   \r\n", "Core.Ping", "-"},
            {"Room.Players\t[\"Ale\", \"Bea\"]", "Room.Players", R"(["Ale","Bea"])"},
            {"Comm.Channel.Text {\"text\":\"citt\xC3\xA0\"}", "Comm.Channel.Text",
             "{\"text\":\"citt\xC3\xA0\"}"},
            {"my_pkg-2.x 1", "my_pkg-2.x", "1"},
            {"", nullptr, {}},
            {" Char.Vitals {}", nullptr, {}},
            {"Char.Vitals{}", nullptr, {}},
            {"Char Vitals {}", nullptr, {}}, // "Vitals {}" is no JSON value
            {"Char.Vitals {\"hp\":", nullptr, {}},
            {"Char.Vitals 1, 2", nullptr, {}},
            {"Char.Vitals 1],[2", nullptr, {}},
            {"Char.Vitals hp", nullptr, {}},
            {"Ch\xC3\xA0r.Vitals 1", nullptr, {}},
            {"Char.Vitals \"\xFF\"", nullptr, {}},
            {overlong, nullptr, {}},
        };
        for (const Case& c : cases) {
            const std::optional<GmcpMessage> m = GmcpMessage::parse(c.payload);
            QCOMPARE(m.has_value(), c.package != nullptr);
            if (!m)
                continue;
            QCOMPARE(m->package, QString::fromLatin1(c.package));
            QCOMPARE(bodyText(*m), c.body);
        }
        // The longest message taken, and names compared without case.
        const QByteArray longest = "R \"" + QByteArray(GmcpMessage::kMaxSize - 4, 'x') + '"';
        const std::optional<GmcpMessage> m = GmcpMessage::parse(longest);
        QVERIFY(m && m->is(u"r") && !m->is(u"R.x"));
        QVERIFY(GmcpMessage::parse("char.VITALS {}")->is(u"Char.Vitals"));
    }

    void encodesWhatParsesBack() {
        const QJsonValue bodies[] = {QJsonValue(QJsonValue::Undefined),
                                     QJsonObject{{"client", "Varendor"}},
                                     QJsonArray{"Char 1", "Room 1"},
                                     120,
                                     "Addio",
                                     QJsonValue()};
        const QByteArray expected[] = {"Core.Ping",
                                       R"(Core.Ping {"client":"Varendor"})",
                                       R"(Core.Ping ["Char 1","Room 1"])",
                                       "Core.Ping 120",
                                       "Core.Ping \"Addio\"",
                                       "Core.Ping null"};
        for (size_t i = 0; i < std::size(bodies); ++i) {
            const QByteArray payload = GmcpMessage::encode(u"Core.Ping", bodies[i]);
            QCOMPARE(payload, expected[i]);
            QCOMPARE(GmcpMessage::parse(payload)->data, bodies[i]);
        }
    }

    void readsVitalsUnderCommonNames() {
        struct Case {
            QByteArray body;
            QList<QList<qint64>> readings; // vital, current, max; -1 for not told
        };
        const Case cases[] = {
            {R"({"hp":151,"maxhp":500,"mp":425,"maxmp":300,"mv":322,"maxmv":200})",
             {{0, 151, 500}, {1, 425, 300}, {2, 322, 200}}},
            {R"({"hp":"151","maxhp":" 500 ","mana":7,"maxmana":9,"moves":1,"maxmoves":2})",
             {{0, 151, 500}, {1, 7, 9}, {2, 1, 2}}},
            {R"({"mp":3})", {{1, 3, -1}}},
            {R"({"maxmv":40.6})", {{2, -1, 41}}},
            {R"({"hp":"tanti","maxhp":[1],"mv":1e300,"xp":5})", {}},
            {R"([1,2])", {}},
            {"120", {}},
        };
        for (const Case& c : cases) {
            const QJsonValue body = GmcpMessage::parse("Char.Vitals " + c.body)->data;
            QList<QList<qint64>> got;
            for (const VitalReading& r : readVitals(body))
                got.append({qint64(r.vital), r.current.value_or(-1), r.max.value_or(-1)});
            QCOMPARE(got, c.readings);
        }
    }
};

QTEST_GUILESS_MAIN(TstGmcpMessage)
#include "tst_gmcpmessage.moc"
