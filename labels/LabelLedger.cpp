#include "labels/LabelLedger.h"
#include "base/Clock.h"
#include "base/EventLog.h"
#include "labels/preview/LabelVerification.h"
#include "register/RegisterStatement.h"

#include <QCryptographicHash>
#include <utility>
#include <QSqlQuery>

namespace Tabrix {

namespace {
const auto text = NonNullText;
} // namespace

LabelLedger::LabelLedger(const QSqlDatabase &db)
    : m_db(db), m_present(HasTable(db, QStringLiteral("label_log")))
{
}

QString LabelLedger::missingText()
{
    return QStringLiteral("This register has no print ledger yet: run \"tabrix-register upgrade\" on its folder to add "
                          "one. Labels are printed as before meanwhile.");
}

qint64 LabelLedger::open(const LedgerEntry &e)
{
    // The reprint count comes from the rows already there, in the same statement.
    return InsertReturningKey(
               m_db,
               QStringLiteral("INSERT INTO label_log (Order_id, AccnNum, AccnStr, TestCode, Printed, Station, Bytes, Digest, "
                              "Outcome, Reprint) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "(SELECT count(*) FROM label_log WHERE Order_id = ? AND AccnNum = ? AND TestCode = ? "
                              "AND %1))").arg(LedgerOutcome::SentCondition()),
               {e.orderId, e.accnNum, text(e.accnStr), text(e.testCode), Clock::now(), text(e.station),
                qint64(e.bytes.size()), QString::fromLatin1(QCryptographicHash::hash(e.bytes, QCryptographicHash::Sha256).toHex()),
                Sending, e.orderId, e.accnNum, text(e.testCode)},
               QStringLiteral("Label_id"))
        .toLongLong();
}

void LabelLedger::close(qint64 row, const LabelJob &job)
{
    ExecRegister(m_db, QStringLiteral("UPDATE label_log SET Printer = ?, Job_id = ?, Outcome = ? WHERE Label_id = ?"),
                 {text(job.printer), job.jobId > 0 ? QVariant(job.jobId) : QVariant(),
                  text(job.recorded.isEmpty() ? job.outcome : job.recorded), row});
}

int LabelLedger::closeUnfinished(const QString &station, const QDateTime &before)
{
    const QSqlQuery q = ExecRegister(m_db, QStringLiteral("UPDATE label_log SET Outcome = ? WHERE Outcome = ? AND Station = ? AND Printed <= ?"),
                                     {EndedDuringPrint, Sending, text(station), before});
    return q.numRowsAffected();
}

// The label's job, after its barcodes are read back when the station asks for it.
LabelJob RecordedPrinting::send(const LedgerEntry &entry, const QString &label)
{
    const LabelVerdict verdict = m_verify ? VerifyLabel(entry.bytes) : LabelVerdict();
    if (verdict.result == LabelVerdict::DoesNotRead) {
        LabelJob refused;
        refused.outcome = QStringLiteral("%1 was not printed: %2. Printing stopped.").arg(TheLabel(label), verdict.why());
        refused.recorded = verdict.ledgerOutcome();
        return refused;
    }
    LabelJob job = PrintLabel(entry.bytes, m_printerWait, label);
    if (job.sent() && verdict.result == LabelVerdict::Unverified)
        job.outcome = LabelJob::SentUnverified;
    return job;
}

namespace {
// The log's line for a label: what it is (never more than its accession number and test) and what became of it.
void logLabel(const QString &label, const LabelJob &job)
{
    const QString which = label.isEmpty() ? QStringLiteral("test label") : QStringLiteral("label %1").arg(label);
    if (job.sent())
        EventLog::Write(QStringLiteral("%1: %2 to %3, job %4").arg(which, job.outcome, job.printer).arg(job.jobId));
    else
        EventLog::Write(QStringLiteral("%1: not printed: %2").arg(which, job.recorded.isEmpty() ? job.outcome : job.recorded));
}
} // namespace

LabelJob RecordedPrinting::print(const LedgerEntry &entry, const QString &label)
{
    const LabelJob job = printRecorded(entry, label);
    logLabel(label, job);
    return job;
}

LabelJob RecordedPrinting::printRecorded(const LedgerEntry &entry, const QString &label)
{
    if (!m_ledger.present())
        return send(entry, label);
    retryPending();
    qint64 row = 0;
    try {
        row = m_ledger.open(entry);
    } catch (const ETabrixError &e) {
        LabelJob refused;
        refused.recordRefused = true;
        refused.outcome = QStringLiteral("%1 was not printed: the print ledger cannot record it (%2). Printing stopped.")
                              .arg(TheLabel(label), e.message());
        return refused;
    }
    const LabelJob job = send(entry, label);
    try {
        m_ledger.close(row, job);
    } catch (const ETabrixError &e) {
        m_pending << IncompleteRow{row, job, label, e.message()};
    }
    return job;
}

void RecordedPrinting::retryPending()
{
    for (auto p = m_pending.begin(); p != m_pending.end();) {
        try {
            m_ledger.close(p->row, p->job);
            p = m_pending.erase(p);
        } catch (const ETabrixError &e) {
            p->why = e.message();
            ++p;
        }
    }
}

QStringList RecordedPrinting::finish()
{
    retryPending();
    QStringList incomplete;
    for (IncompleteRow &p : m_pending) {
        if (std::exchange(p.said, true))
            continue;
        incomplete << QStringLiteral("%1 %2, but its record in the print ledger is incomplete: what became of it could "
                                     "not be written (%3). The label history shows it as \"%4\".")
                          .arg(TheLabel(p.label),
                               p.job.sent() ? QStringLiteral("was sent to ") + p.job.printer : QStringLiteral("did not print"),
                               p.why, LabelLedger::Sending);
    }
    return incomplete;
}

} // namespace Tabrix
