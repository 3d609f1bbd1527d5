// tabrix-lis: the station's registrations and the laboratory information system.
//
//   tabrix-lis status PROGRAM_DIR      each registration's state with the LIS
//   tabrix-lis send PROGRAM_DIR        sends what the LIS has not accepted (HL7 over MLLP)
//   tabrix-lis hl7 PROGRAM_DIR FILE    writes the messages a send would send, without sending
//   tabrix-lis fhir PROGRAM_DIR FILE   writes the register as a FHIR R4 transaction bundle
//
// The register is the one PROGRAM_DIR/tabrix.udl names; the LIS settings are the
// [LIS] section of PROGRAM_DIR/tabrix.ini.
#include "base/EventLog.h"
#include "base/Clock.h"
#include "base/InfoOptions.h"
#include "base/ProgramFiles.h"
#include "base/TabrixError.h"
#include "lis/FhirBundle.h"
#include "lis/LisMessages.h"
#include "lis/LisSend.h"
#include "lis/LisSettings.h"
#include "lis/LisStates.h"
#include "lis/OrderMessage.h"
#include "register/DataLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

using namespace Tabrix;

namespace {

const char Usage[] = "Usage: tabrix-lis status PROGRAM_DIR\n"
                     "       tabrix-lis send PROGRAM_DIR\n"
                     "       tabrix-lis hl7 PROGRAM_DIR FILE\n"
                     "       tabrix-lis fhir PROGRAM_DIR FILE\n"
                     "Shows each registration's state with the laboratory information system (LIS), sends\n"
                     "the registrations it has not accepted as HL7 order messages over MLLP, or writes\n"
                     "those messages or a FHIR R4 transaction bundle to FILE. Exits with 0 only when\n"
                     "everything asked for was accepted or written. See tabrix-lis(1).\n";

void say(const QString &line) { std::printf("%s\n", qPrintable(line)); }
void complain(const QString &line)
{
    std::fprintf(stderr, "tabrix-lis: %s\n", qPrintable(line));
    EventLog::Write(QStringLiteral("failed: ") + line);
}

QString itemLine(const LisItem &item)
{
    QString line = QStringLiteral("%1  %2").arg(item.accnStr, -10).arg(StateText(item.state), -22);
    if (!item.patient.isEmpty())
        line += QStringLiteral("  ") + item.patient;
    if (!item.why.isEmpty())
        line += QStringLiteral("  (%1)").arg(item.why);
    return line;
}

int status(const QSqlDatabase &db, const LisSettings &settings)
{
    const LisOverview overview = ReadLisOverview(db, settings);
    for (LisState state : AllStates)
        say(QStringLiteral("%1: %2").arg(StateText(state)).arg(overview.count(state)));
    for (const LisItem &item : overview.items)
        if (item.state != LisState::Accepted)
            say(itemLine(item));
    return overview.notAccepted() == 0 ? 0 : 1;
}

int send(const QSqlDatabase &db, const LisSettings &settings, const QString &settingsFile)
{
    if (const QString fault = settings.fault(settingsFile); !fault.isEmpty()) {
        complain(fault);
        return 1;
    }
    const LisOverview overview = ReadLisOverview(db, settings);
    for (const LisItem &item : overview.items)
        if (item.blocked)
            complain(QStringLiteral("%1 is not sent: %2").arg(item.accnStr, item.why));
    const LisSendReport report = SendToLis(db, settings, overview, {});
    for (const QString &line : report.lines)
        say(line);
    if (!report.stopped.isEmpty())
        complain(report.stopped);
    say(QStringLiteral("%1 accepted, %2 refused, %3 not confirmed").arg(report.accepted).arg(report.refused).arg(report.notConfirmed));
    const bool all = report.accepted == overview.toSend() && overview.blocked() == 0;
    return all ? 0 : 1;
}

int writeHl7(const QSqlDatabase &db, const LisSettings &settings, const QString &file)
{
    const LisOverview overview = ReadLisOverview(db, settings);
    QByteArray out;
    int blocked = 0;
    for (const LisItem &item : overview.items) {
        if (item.blocked) {
            complain(QStringLiteral("%1 is not written: %2").arg(item.accnStr, item.why));
            ++blocked;
        }
        if (!item.toSend())
            continue;
        Hl7Message message = item.message;
        Address(message, item.orderControl, item.controlId, Clock::now());
        out += message.text().replace(u'\r', u'\n').toUtf8();
        out += '\n';
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(out) != out.size() || !f.flush())
        throw ETabrixError(QStringLiteral("Unable to write to %1: %2").arg(file, f.errorString()));
    return blocked ? 1 : 0;
}

int writeFhir(const QSqlDatabase &db, const LisSettings &settings, const QString &file)
{
    FhirExportReport report;
    ExportFhirBundle(db, settings, file, report);
    for (const QString &line : report.leftOut)
        complain(QStringLiteral("left out %1").arg(line));
    say(QStringLiteral("%1 registrations written to %2").arg(report.registrations).arg(file));
    return report.leftOut.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = AnswerInfoOptions(argc, argv, "tabrix-lis", Usage))
        return *answered;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    const bool toFile = command == QLatin1String("hl7") || command == QLatin1String("fhir");
    const bool valid = (args.size() == 2 && (command == QLatin1String("status") || command == QLatin1String("send")))
                       || (args.size() == 3 && toFile);
    if (!valid) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const ProgramFiles files = ProgramFiles::Of(QDir(args[1]).absoluteFilePath(QStringLiteral("tabrix")));
    const QString udl = files.withExt(QStringLiteral(".udl"));
    EventLog::SetProgram(QStringLiteral("tabrix-lis"));
    EventLog::Write(QStringLiteral("%1 %2").arg(command, files.ProgramDir));
    try {
        const LisSettings settings = LisSettings::Read(files.SettingsFile);
        const DataLink link = DataLink::Read(udl);
        QSqlDatabase db = link.Connect(QStringLiteral("tabrix-lis"), QFileInfo(udl).absolutePath());
        if (!toFile && !LisMessages(db).present()) {
            complain(LisMessages::missingText());
            return 1;
        }
        if (command == QLatin1String("status"))
            return status(db, settings);
        if (command == QLatin1String("send"))
            return send(db, settings, files.SettingsFile);
        if (command == QLatin1String("hl7"))
            return writeHl7(db, settings, args[2]);
        return writeFhir(db, settings, args[2]);
    } catch (const ETabrixError &e) {
        complain(e.message());
        return 1;
    }
}
