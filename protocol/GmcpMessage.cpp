#include "protocol/GmcpMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {
bool isNameByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
} // namespace

std::optional<GmcpMessage> GmcpMessage::parse(QByteArrayView payload) {
    if (payload.isEmpty() || payload.size() > kMaxSize)
        return std::nullopt;
    qsizetype nameEnd = 0;
    while (nameEnd < payload.size() && isNameByte(payload[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0 || (nameEnd < payload.size() && !isBlank(payload[nameEnd])))
        return std::nullopt;
    GmcpMessage message;
    message.package = QString::fromLatin1(payload.first(nameEnd));
    const QByteArrayView body = payload.sliced(nameEnd).trimmed();
    if (body.isEmpty())
        return message;
    // The document parser takes only objects and arrays: a body is read as
    // the one element of an array, which also covers bare numbers and strings.
    QByteArray wrapped;
    wrapped.reserve(body.size() + 2);
    wrapped.append('[').append(body).append(']');
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() ||
        document.array().size() != 1)
        return std::nullopt;
    message.data = document.array().first();
    return message;
}

QByteArray GmcpMessage::encode(QStringView package, const QJsonValue& data) {
    QByteArray payload = package.toUtf8();
    if (data.isUndefined())
        return payload;
    QByteArray body = QJsonDocument(QJsonArray{data}).toJson(QJsonDocument::Compact);
    body = body.sliced(1, body.size() - 2); // the array's brackets
    return payload + ' ' + body;
}
