#pragma once
#include <QByteArray>
#include <QString>

namespace Tabrix {

// What became of one label's job: the queue it went to, the spooler's job id (0
// when it gave none) and Sent, or the error that was shown (none: never tried).
struct LabelJob {
    static inline const QString Sent = QStringLiteral("sent");
    QString printer;
    int jobId = 0;
    QString outcome;
    bool sent() const { return outcome == Sent; }
};

// Prints one label: one raw job to the current printer holding exactly these
// bytes, kept open PrinterWait milliseconds before it is ended. True only when the
// spooler took every byte and confirmed the job. False after a failure it has
// shown, naming `label` ("X12345, test CBC") when the label may not have printed;
// no printer at all raises to the caller. `job`, when given, gets what became of it.
bool PrintLabel(const QByteArray &bytes, const QString &label = QString(), LabelJob *job = nullptr);

// "The label for X12345, test CBC" in a message, or "The label" for one with no name.
QString TheLabel(const QString &label);

// Waits, keeping the window system going; a request to quit made meanwhile
// still ends the program afterwards.
void Delay(int milliseconds);

} // namespace Tabrix
