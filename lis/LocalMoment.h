#pragma once
#include <QDate>
#include <QString>
#include <QTime>

namespace Tabrix {

// A moment of the station's local time as the register holds it: a date and a time
// of day. Its UTC offset is worked out once for each minute met (asking the system
// for it costs a look at its time zone file each time), so a long export stays fast.
struct LocalMoment {
    QDate date;
    QTime time;
    // Seconds east of UTC at that moment.
    int utcOffset() const;
    // As HL7 writes it: YYYYMMDDHHMM+ZZZZ.
    QString hl7Minute() const;
    // As FHIR writes a dateTime: YYYY-MM-DDTHH:MM:SS+ZZ:ZZ.
    QString fhirDateTime() const;
};

} // namespace Tabrix
