#include "labels/Labels.h"
#include "app/Prompter.h"
#include "app/TabrixDefs.h"
#include "labels/Printers.h"
#include "labels/RawPrinter.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace Tabrix {

bool PrintLabel(const QByteArray &bytes)
{
    // The spooler takes a device name of 32 characters and a port of 33; a CUPS
    // queue has no port.
    const QString device = Printers::CurrentPrinterName().left(32);
    const QString port;
    try {
        TWinRawPrinter printer(device, port);
        printer.WriteString(bytes);
        Delay(TabrixDefs::PrinterWait);
        return true;
    } catch (const ETabrixError &e) {
        ShowError(QStringLiteral("Unable to print.  ") + e.message());
        return false;
    }
}

void Delay(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds > 0 ? milliseconds : 0);
    while (!deadline.hasExpired()) {
        // A nested loop: QCoreApplication::quit() meanwhile ends it early and still
        // marks the main loop to end, so the quit takes effect once we are done.
        QEventLoop loop;
        QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace Tabrix
