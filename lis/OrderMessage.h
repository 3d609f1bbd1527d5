#pragma once
#include "base/TabrixError.h"
#include "lis/Hl7Message.h"
#include "lis/LisRegistration.h"
#include "lis/LisSettings.h"
#include "lis/LocalMoment.h"

namespace Tabrix {

// A registration whose stored values cannot make a valid message; the message
// text says why ("DOB is not a valid date"). No message is built for it.
class ELisContent : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};

// A registration's stored dates and times as moments, once they are known to make
// a valid message: an accession number, a patient id, a test, and dates and times
// that are dates and times (by the rules a save checks them with). Raises ELisContent.
struct LisContent {
    QDate dob;
    LocalMoment collected, received;
};
LisContent ReadLisContent(const LisRegistration &registration);

// The placer order number of each test, in the registration's order: the
// accession number and the test code ("X12345-CBC"); a code ordered twice in one
// registration is still two orders, the second numbered ("X12345-CBC-2").
QStringList PlacerOrderNumbers(const LisRegistration &registration);

// The order control of every ORC of a message.
namespace OrderControl {
inline const QString New = QStringLiteral("NW");
inline const QString Change = QStringLiteral("XO");
inline const QString Cancel = QStringLiteral("CA");
} // namespace OrderControl

// The order message of a registration: OML^O21 of v2.5.1 (MSH, PID, PV1, then
// ORC, OBR and SPM for each test), or ORM^O01 of v2.3.1 (no SPM; the specimen in
// OBR-14 and OBR-15) when the settings ask for it. Its time, control id and order
// control are set by Address. Raises ELisContent.
Hl7Message BuildOrderMessage(const LisRegistration &registration, const LisSettings &settings);

// The SHA-256 (lower-case hex) of what a message says of its registration: the
// message without its time, control id and order control, so that the same
// registration sent again unchanged, or as a change or a cancel, has the same digest.
QString ContentDigest(const Hl7Message &message);

// The message control id (MSH-10) of a message: the accession number and a digest
// of its content, its order control and how many of its registration's messages
// were accepted before; so the same message sent again keeps its id, and any other
// gets a new one. At most 20 characters.
QString ControlIdFor(const QString &accnStr, const QString &digest, const QString &orderControl, int acceptedBefore);

// Sets a message's order control (every ORC-1), control id and time (MSH-7,
// with the station's UTC offset at that moment).
void Address(Hl7Message &message, const QString &orderControl, const QString &controlId, const QDateTime &now);

} // namespace Tabrix
