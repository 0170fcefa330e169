#pragma once
// The game server in section "SERVER" of config.ini, and the certificates
// the player chose to trust for servers whose certificate the system does
// not vouch for (section "CERTIFICATI", one "host:port=fingerprint" line
// each). Hand-edited values get a sensible reading, never an error.
#include "automation/Api.h"
#include "files/FileResult.h"

#include <QByteArray>
#include <QString>

// CODIFICA: the text encoding. AUTO is Windows-1252 until the server
// negotiates UTF-8.
enum class Codifica { Auto, Cp1252, Utf8 };
// COLORI: how colours are drawn; automatic when missing.
enum class Colori { Automatico, Classico, Ansi };

struct ServerSettings {
    static constexpr quint16 kDefaultPort = 4000;

    QString host = QStringLiteral("localhost");
    quint16 port = kDefaultPort;
    Codifica codifica = Codifica::Auto;
    bool tls = false;
    Colori colori = Colori::Automatico;
    // LETTORE in section "SCHERMO": the player uses a screen reader even
    // when none announces itself to this program.
    bool lettore = false;
    bool gmcp = true; // GMCP: the character's data beside the text

    // The values as read from the file; any letter case, blanks around ignored.
    // CODIFICA: "CP1252" (also "WINDOWS-1252"), "UTF-8" (also "UTF8"), else AUTO.
    static Codifica parseCodifica(const QString& value);
    // TLS: "1", "SI", "SÌ", "ON", "TRUE", "YES" switch it on (also "sì" saved
    // as UTF-8); anything else off.
    static bool parseTls(const QString& value);
    // COLORI: "CLASSICO", "ANSI", else automatic.
    static Colori parseColori(const QString& value);
    // GMCP: on unless "0", "NO", "OFF" or "FALSE".
    static bool parseGmcp(const QString& value);
};

// Reads the whole section afresh. HOST is "localhost" when missing or blank;
// PORTA 4000 when missing or not a port number.
ServerSettings readServerSettings(const Api& api);
QString serverHost(const Api& api);
quint16 serverPort(const Api& api);
// True once a game server is set: HOST present and not blank. A new
// player's config.ini leaves it blank until the first start asks.
bool hasServerHost(const Api& api);
// Writes HOST and PORTA; WriteFailed when config.ini could not be written.
FileResult writeServer(const Api& api, const QString& host, quint16 port);
// A typed game address: "host", "host:port" or "[IPv6]:port" (a bare IPv6
// address has no port). Blanks around are ignored; false for an empty host,
// blanks inside, or a port that is not 1 to 65535. port is 4000 when none
// is given.
bool parseServerAddress(const QString& text, QString* host, quint16* port);

// A certificate's SHA-256 fingerprint (32 bytes) as "AB:CD:...", and back.
// Reading takes any letter case and blanks or colons between the digits;
// anything else gives an empty array.
QString fingerprintText(const QByteArray& sha256);
QByteArray parseFingerprint(const QString& text);

// The fingerprint remembered for host and port: empty when none, or when the
// stored value is not a fingerprint.
QByteArray rememberedCertificate(const Api& api, const QString& host, quint16 port);
// Remembers it in config.ini, replacing an earlier one. WriteFailed when it
// could not be stored (read-only folder, a host name a profile key cannot
// hold); the file is then left as it was.
FileResult rememberCertificate(const Api& api, const QString& host, quint16 port,
                               const QByteArray& sha256);
// The key of host and port in section "CERTIFICATI" ("host:port", the host in
// lower case without IPv6 brackets); empty when the host cannot be a key.
QString certificateKey(const QString& host, quint16 port);
