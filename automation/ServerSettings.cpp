#include "automation/ServerSettings.h"

#include "automation/ButtonConfig.h"

namespace {
const QString kServer = QStringLiteral("SERVER");
const QString kCertificates = QStringLiteral("CERTIFICATI");
constexpr int kFingerprintSize = 32;

QString upper(const QString& value) {
    return value.trimmed().toUpper();
}
} // namespace

Codifica ServerSettings::parseCodifica(const QString& value) {
    const QString v = upper(value);
    if (v == u"CP1252" || v == u"WINDOWS-1252")
        return Codifica::Cp1252;
    if (v == u"UTF-8" || v == u"UTF8")
        return Codifica::Utf8;
    return Codifica::Auto;
}

bool ServerSettings::parseTls(const QString& value) {
    // Letters beyond ASCII are left out, so that "sì" reads the same whether
    // the file was saved in the code page or as UTF-8 (read as "sÃ¬").
    QString v;
    for (const QChar c : upper(value))
        if (c.unicode() < 0x80)
            v += c;
    return v == u"1" || v == u"SI" || v == u"S" || v == u"ON" || v == u"TRUE" || v == u"YES";
}

Colori ServerSettings::parseColori(const QString& value) {
    const QString v = upper(value);
    if (v == u"CLASSICO")
        return Colori::Classico;
    if (v == u"ANSI")
        return Colori::Ansi;
    return Colori::Automatico;
}

bool ServerSettings::parseGmcp(const QString& value) {
    const QString v = upper(value);
    return !(v == u"0" || v == u"NO" || v == u"OFF" || v == u"FALSE");
}

QString serverHost(const Api& api) {
    const QString host = ReadConfigValue(api, kServer, QStringLiteral("HOST")).trimmed();
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

quint16 serverPort(const Api& api) {
    bool ok = false;
    const uint port = ReadConfigValue(api, kServer, QStringLiteral("PORTA")).trimmed().toUInt(&ok);
    return ok && port >= 1 && port <= 65535 ? quint16(port) : ServerSettings::kDefaultPort;
}

bool hasServerHost(const Api& api) {
    return !ReadConfigValue(api, kServer, QStringLiteral("HOST")).trimmed().isEmpty();
}

FileResult writeServer(const Api& api, const QString& host, quint16 port) {
    if (FileResult written = WriteConfigValue(api, kServer, QStringLiteral("HOST"), host); !written)
        return written;
    return WriteConfigValue(api, kServer, QStringLiteral("PORTA"), QString::number(port));
}

bool parseServerAddress(const QString& text, QString* host, quint16* port) {
    const QString t = text.trimmed();
    QString name = t;
    QString portText;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return false;
        name = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return false;
            portText = rest.mid(1);
        }
    } else if (t.count(u':') == 1) {
        name = t.left(t.indexOf(u':'));
        portText = t.mid(t.indexOf(u':') + 1);
    }
    if (name.isEmpty() || name.contains(u' ') || name.contains(u'\t'))
        return false;
    uint number = ServerSettings::kDefaultPort;
    if (t.endsWith(u':'))
        return false;
    if (!portText.isEmpty()) {
        bool ok = false;
        number = portText.toUInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return false;
    }
    *host = name;
    *port = quint16(number);
    return true;
}

ServerSettings readServerSettings(const Api& api) {
    ServerSettings s;
    s.host = serverHost(api);
    s.port = serverPort(api);
    s.codifica =
        ServerSettings::parseCodifica(ReadConfigValue(api, kServer, QStringLiteral("CODIFICA")));
    s.tls = ServerSettings::parseTls(ReadConfigValue(api, kServer, QStringLiteral("TLS")));
    s.colori = ServerSettings::parseColori(ReadConfigValue(api, kServer, QStringLiteral("COLORI")));
    // The same yes-words as TLS.
    s.lettore = ServerSettings::parseTls(
        ReadConfigValue(api, QStringLiteral("SCHERMO"), QStringLiteral("LETTORE")));
    s.gmcp = ServerSettings::parseGmcp(ReadConfigValue(api, kServer, QStringLiteral("GMCP")));
    return s;
}

QString fingerprintText(const QByteArray& sha256) {
    return QString::fromLatin1(sha256.toHex(':').toUpper());
}

QByteArray parseFingerprint(const QString& text) {
    QByteArray hex;
    for (const QChar c : text) {
        if (c == u':' || c == u' ' || c == u'\t')
            continue;
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return {};
        hex += c.toLatin1();
    }
    if (hex.size() != 2 * kFingerprintSize)
        return {};
    return QByteArray::fromHex(hex);
}

QString certificateKey(const QString& host, quint16 port) {
    QString name = host.trimmed().toLower();
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    // Host names, IPv4 and IPv6 addresses only: nothing that could break a
    // profile line or read as a comment or a section.
    if (name.isEmpty())
        return {};
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' || u == '-' ||
                        u == '_' || u == ':';
        if (!ok)
            return {};
    }
    return name + u':' + QString::number(port);
}

QByteArray rememberedCertificate(const Api& api, const QString& host, quint16 port) {
    const QString key = certificateKey(host, port);
    if (key.isEmpty())
        return {};
    return parseFingerprint(ReadConfigValue(api, kCertificates, key));
}

FileResult rememberCertificate(const Api& api, const QString& host, quint16 port,
                               const QByteArray& sha256) {
    const QString key = certificateKey(host, port);
    if (key.isEmpty() || sha256.size() != kFingerprintSize)
        return FileResult::writeFailed(
            QStringLiteral("Impossibile ricordare il certificato di %1 in config.ini").arg(host));
    return WriteConfigValue(api, kCertificates, key, fingerprintText(sha256));
}
