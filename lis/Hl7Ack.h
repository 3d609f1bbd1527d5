#pragma once
#include <QByteArray>
#include <QString>

namespace Tabrix {

// What an acknowledgement says of one message.
struct Hl7Ack {
    enum class Kind { Accepted, Refused, Garbled };
    Kind kind = Kind::Garbled;
    QString code; // MSA-1
    QString text; // MSA-3 and ERR's texts, unescaped; for a garbled answer, what was wrong
};

// Reads the answer to the message with control id `controlId`: MSA-1 AA or CA
// accepts it, AE, AR, CE or CR refuses it; anything else, an answer without MSA, or
// one about another message (MSA-2) is garbled.
Hl7Ack ReadAck(const QByteArray &answer, const QString &controlId);

} // namespace Tabrix
