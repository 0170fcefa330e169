#pragma once
// One message of the out-of-band data channel (telnet option 201): a package
// name such as "Char.Vitals", then optionally a blank and a JSON body, all in
// UTF-8. The body may be any JSON value, a bare number or string included.
#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QString>
#include <QStringView>

#include <optional>

struct GmcpMessage {
    static constexpr unsigned char kOption = 201;
    // Longer messages are ignored whole: no game sends that much state at once.
    static constexpr qsizetype kMaxSize = 16 * 1024;

    QString package;
    QJsonValue data = QJsonValue(QJsonValue::Undefined); // Undefined: no body

    // Package names compare without regard to case.
    bool is(QStringView name) const { return package.compare(name, Qt::CaseInsensitive) == 0; }

    // A subnegotiation's payload (option byte removed, IAC IAC undone).
    // Nothing when it is empty, overlong, its name is not a package name or
    // its body is not one JSON value.
    static std::optional<GmcpMessage> parse(QByteArrayView payload);
    // The payload for package with data (no body when data is Undefined).
    static QByteArray encode(QStringView package,
                             const QJsonValue& data = QJsonValue(QJsonValue::Undefined));
};

// A message and where it came among the text of the same read: after its
// first `at` characters.
struct GmcpAt {
    qsizetype at = 0;
    GmcpMessage message;
};
