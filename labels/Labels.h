#pragma once
#include <QByteArray>
#include <QString>

namespace Tabrix {

// Prints one label: one raw job to the current printer holding exactly these
// bytes, kept open PrinterWait milliseconds before it is ended. True only when the
// spooler took every byte and confirmed the job. False after a failure it has
// shown, naming `label` ("X12345, test CBC") when the label may not have printed;
// no printer at all raises to the caller.
bool PrintLabel(const QByteArray &bytes, const QString &label = QString());
// Waits, keeping the window system going; a request to quit made meanwhile
// still ends the program afterwards.
void Delay(int milliseconds);

} // namespace Tabrix
