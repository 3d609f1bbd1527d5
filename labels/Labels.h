#pragma once
#include "base/LedgerOutcome.h"

#include <QByteArray>
#include <QString>

namespace Tabrix {

// What became of one label's job: the queue it went to, the spooler's job id (0
// when it gave none) and Sent (or SentUnverified), or why it did not print in the
// words the user is shown (none: never tried).
struct LabelJob {
    static inline const QString &Sent = LedgerOutcome::Sent;
    static inline const QString &SentUnverified = LedgerOutcome::SentUnverified;
    QString printer;
    int jobId = 0;
    QString outcome;
    bool noPrinter = false;     // there is no printer at all: said by the general error display
    bool recordRefused = false; // the print ledger could not record it, so it was never sent
    QString recorded;           // what its ledger row says, when that is not `outcome`
    bool sent() const { return LedgerOutcome::IsSent(outcome); }
    bool failed() const { return !outcome.isEmpty() && !sent(); }
};

// Prints one label: one raw job to the current printer holding exactly these
// bytes, kept open `printerWait` milliseconds (the station's PrinterWait) before it is ended. Sent only when the
// spooler took every byte and confirmed the job; otherwise the outcome says why
// ("Unable to print.  " and the reason, naming `label` ("X12345, test CBC") when
// the label may not have printed). Shows nothing: the caller does.
LabelJob PrintLabel(const QByteArray &bytes, int printerWait, const QString &label = QString());

// Shows why a job did not print: the error box, or the general error display when
// there is no printer at all.
void ShowPrintFailure(const LabelJob &job);

// "The label for X12345, test CBC" in a message, or "The label" for one with no name.
QString TheLabel(const QString &label);

// Waits, keeping the window system going; a request to quit made meanwhile
// still ends the program afterwards.
void Delay(int milliseconds);

} // namespace Tabrix
