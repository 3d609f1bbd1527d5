#pragma once
#include <QString>

// What a row of the print ledger (label_log.Outcome) says of a label that went
// to the printer; every other text says why it did not.
namespace Tabrix::LedgerOutcome {

inline const QString Sent = QStringLiteral("sent");
// Sent without its barcodes read back: the printer language is none the program can draw.
inline const QString SentUnverified = QStringLiteral("sent unverified: its printer language cannot be read back");

inline bool IsSent(const QString &outcome)
{
    return outcome == Sent || outcome == SentUnverified;
}

// The condition on label_log.Outcome for a label that went.
inline QString SentCondition()
{
    return QStringLiteral("Outcome IN ('%1', '%2')").arg(Sent, SentUnverified);
}

} // namespace Tabrix::LedgerOutcome
