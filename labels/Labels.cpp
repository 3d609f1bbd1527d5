#include "labels/Labels.h"
#include "app/base/Prompter.h"
#include "app/base/TabrixDefs.h"
#include "labels/Printers.h"
#include "labels/RawPrinter.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace Tabrix {

namespace {

QString mayNotHavePrinted(const QString &label, const QString &why)
{
    return QStringLiteral("%1%2 may not have printed: %3.").arg(TheLabel(label), label.isEmpty() ? "" : ",", why);
}

} // namespace

QString TheLabel(const QString &label)
{
    return label.isEmpty() ? QStringLiteral("The label") : QStringLiteral("The label for %1").arg(label);
}

bool PrintLabel(const QByteArray &bytes, const QString &label, LabelJob *job)
{
    LabelJob ignored;
    LabelJob &result = job ? *job : ignored;
    const auto failed = [&](const QString &why) {
        result.outcome = QStringLiteral("Unable to print.  ") + why;
        ShowError(result.outcome);
        return false;
    };
    // Only a failure asks whether the spooler is there at all, so that a spooler
    // that is gone is said so, and each label costs no extra connection.
    const QString unreachable = QStringLiteral("StartRawPrintJob failed: the print spooler (CUPS) cannot be reached");
    // The spooler takes a device name of 32 characters and a port of 33; a CUPS
    // queue has no port.
    QString device;
    try {
        device = Printers::CurrentPrinterName().left(32);
        result.printer = device;
    } catch (const ETabrixError &e) {
        result.outcome = e.message();
        if (!SpoolerReachable())
            return failed(unreachable);
        throw; // no printer at all: the caller's to show
    }
    const QString port;
    try {
        TWinRawPrinter printer(device, port);
        result.jobId = printer.JobId;
        const bool written = printer.WriteString(bytes);
        Delay(TabrixDefs::PrinterWait);
        // Only a job that the spooler took whole and confirmed counts as printed.
        const bool ended = printer.End();
        if (!written)
            return failed(mayNotHavePrinted(label, QStringLiteral("the print spooler did not take all of its bytes")));
        if (!ended)
            return failed(mayNotHavePrinted(label, QStringLiteral("the print spooler did not confirm its job")));
        result.outcome = LabelJob::Sent;
        return true;
    } catch (const ERawPrinterException &e) {
        return failed(SpoolerReachable() ? e.message() : unreachable);
    } catch (const ETabrixError &e) {
        return failed(e.message());
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
