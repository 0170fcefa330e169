#pragma once
// What the telnet layer tells its owner, in the order the server's bytes ask
// for it. Called as the bytes are read, some from inside the protocol parser:
// an implementation records what it needs and may call the layer's send(),
// feed() (queued after the running feed) and reset() (the rest of the
// running feed is dropped), but must not destroy the layer.
#include "protocol/TextCodec.h"

#include <QByteArrayView>
#include <QString>

class TelnetEvents {
public:
    // Text, telnet commands removed.
    virtual void data(QByteArrayView text) = 0;
    // Bytes for the server: negotiation answers and our own text.
    virtual void send(QByteArrayView bytes) = 0;
    // Applies to the data after this call and to everything sent after it.
    virtual void encodingChanged(TextEncoding) {}
    // The server offered an option other than ECHO (CHARSET, EOR, GMCP, ...)
    // or asked for the terminal type: a server of today. Once per connection.
    virtual void todaysServer() {}
    // GA or EOR after a prompt.
    virtual void promptMark() {}
    virtual void serverEchoChanged(bool) {}
    // The stream cannot be read on (a broken compressed stream): nothing more
    // is read until reset().
    virtual void error(const QString&) {}
    // One message of the character's data beside the text (option 201), as
    // the server framed it; only while the option is agreed.
    virtual void gmcp(QByteArrayView) {}

protected:
    ~TelnetEvents() = default;
};
