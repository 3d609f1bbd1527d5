#include "lis/LisSettings.h"
#include "base/Settings.h"

namespace Tabrix {

LisSettings LisSettings::Read(const QString &file)
{
    using namespace Settings;
    LisSettings s;
    s.stationID = StationID.read(file);
    s.host = LisHost.read(file).trimmed();
    s.port = LisPort.read(file);
    s.tls = LisTLS.read(file);
    s.caFile = LisCAFile.read(file);
    s.timeout = qBound(100, LisTimeout.read(file), 600000);
    s.receivingApplication = LisReceivingApplication.read(file);
    s.receivingFacility = LisReceivingFacility.read(file);
    s.assigningAuthority = LisAssigningAuthority.read(file);
    s.specimenType = LisSpecimenType.read(file);
    s.legacyOrm = LisMessageType.read(file).trimmed().compare(QLatin1String("ORM^O01"), Qt::CaseInsensitive) == 0;
    s.identifierSystem = LisIdentifierSystem.read(file).trimmed();
    return s;
}

QString LisSettings::fault(const QString &settingsFile) const
{
    if (!configured())
        return QStringLiteral("No LIS is set: give its interface engine's address as Host and Port "
                              "in the [LIS] section of %1.")
            .arg(settingsFile);
    return {};
}

} // namespace Tabrix
