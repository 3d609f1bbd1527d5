#pragma once
#include <QString>

namespace Tabrix {

// What the settings file says of the LIS interface engine (its [LIS] section)
// and of the station that sends to it.
struct LisSettings {
    QString stationID;           // MSH-4, the sending facility
    QString host;
    int port = 0;
    bool tls = false;
    QString caFile;              // empty: the system's certificates
    int timeout = 10000;         // milliseconds for each acknowledgement
    QString receivingApplication, receivingFacility;
    QString assigningAuthority;  // of the patient ids (PID-3)
    QString specimenType;        // SPM-4 (HL7 table 0487)
    bool legacyOrm = false;      // ORM^O01 of v2.3.1 instead of OML^O21 of v2.5.1
    QString identifierSystem;    // the FHIR identifiers' base

    static LisSettings Read(const QString &settingsFile);
    // Whether an interface engine is named (a host and a port).
    bool configured() const { return !host.isEmpty() && port > 0 && port <= 65535; }
    // What keeps a send from starting (no host or port), in words; empty when it can.
    QString fault(const QString &settingsFile) const;
};

} // namespace Tabrix
