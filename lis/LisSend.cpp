#include "lis/LisSend.h"
#include "base/EventLog.h"
#include "base/Clock.h"
#include "lis/Hl7Ack.h"
#include "lis/LisMessages.h"
#include "lis/MllpConnection.h"
#include "lis/OrderMessage.h"

namespace Tabrix {

LisSendReport SendToLis(const QSqlDatabase &db, const LisSettings &settings, const LisOverview &overview,
                        const std::function<bool(int, int)> &keepGoing, const std::function<void()> &idle)
{
    LisMessages messages(db);
    LisSendReport report;
    const int total = overview.toSend();
    MllpConnection connection(settings, idle);
    connection.open();
    int done = 0;
    for (const LisItem &item : overview.items) {
        if (!item.toSend())
            continue;
        if (keepGoing && !keepGoing(done, total)) {
            report.cancelled = true;
            break;
        }
        if (!connection.usable()) { // an engine that closes after each answer
            try {
                connection.open();
            } catch (const ELisConnection &e) {
                report.stopped = e.message();
                break;
            }
        }
        Hl7Message message = item.message;
        const QDateTime now = Clock::now();
        Address(message, item.orderControl, item.controlId, now);
        const QString text = message.text();
        const qint64 row = messages.open(LisMessageRow{0, item.orderId, item.accnNum, item.accnStr, item.orderControl,
                                                       item.controlId, item.digest, now, settings.stationID, {}, {}},
                                         text, item.lastMessage);
        if (!row) {
            report.lines << QStringLiteral("%1: sent meanwhile by another station; not sent again").arg(item.accnStr);
            ++done;
            continue;
        }
        const MllpConnection::Answer answer = connection.exchange(text.toUtf8());
        const Hl7Ack ack = answer.received ? ReadAck(answer.payload, item.controlId)
                                           : Hl7Ack{Hl7Ack::Kind::Garbled, QString(), answer.why};
        const QString label = QStringLiteral("%1 (%2)").arg(item.accnStr, item.orderControl);
        ++done;
        // The log names the outcome and its code only: an answer's text may name the patient.
        EventLog::Write(QStringLiteral("LIS: %1 sent to %2:%3, %4").arg(label, settings.host).arg(settings.port)
                            .arg(ack.kind == Hl7Ack::Kind::Accepted  ? QStringLiteral("accepted")
                                 : ack.kind == Hl7Ack::Kind::Refused ? QStringLiteral("refused (%1)").arg(ack.code)
                                                                     : QStringLiteral("not confirmed")));
        switch (ack.kind) {
        case Hl7Ack::Kind::Accepted:
            messages.close(row, LisMessages::Accepted, ack.text);
            ++report.accepted;
            report.lines << QStringLiteral("%1: accepted").arg(label);
            continue;
        case Hl7Ack::Kind::Refused:
            messages.close(row, LisMessages::Refused, QStringLiteral("%1: %2").arg(ack.code, ack.text));
            ++report.refused;
            report.lines << QStringLiteral("%1: refused (%2) %3").arg(label, ack.code, ack.text);
            continue;
        case Hl7Ack::Kind::Garbled:
            messages.close(row, LisMessages::NotConfirmed, ack.text);
            ++report.notConfirmed;
            report.lines << QStringLiteral("%1: not confirmed: %2").arg(label, ack.text);
            report.stopped = QStringLiteral("%1 is not confirmed (%2). The rest were not sent: send again when the LIS "
                                            "answers; it gets the same message again.")
                                 .arg(item.accnStr, ack.text);
            break;
        }
        break;
    }
    if (keepGoing && !report.cancelled)
        keepGoing(done, total);
    return report;
}

} // namespace Tabrix
