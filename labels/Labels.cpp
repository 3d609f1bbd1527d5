#include "labels/Labels.h"
#include "base/Prompter.h"
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

LabelJob PrintLabel(const QByteArray &bytes, int printerWait, const QString &label)
{
    LabelJob result;
    const auto failed = [&](const QString &why) {
        result.outcome = QStringLiteral("Unable to print.  ") + why;
        return result;
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
        if (!SpoolerReachable())
            return failed(unreachable);
        result.outcome = e.message();
        result.noPrinter = true;
        return result;
    }
    const QString port;
    try {
        TWinRawPrinter printer(device, port);
        result.jobId = printer.JobId;
        const bool written = printer.WriteString(bytes);
        Delay(printerWait);
        // Only a job that the spooler took whole and confirmed counts as printed.
        const bool ended = printer.End();
        if (!written)
            return failed(mayNotHavePrinted(label, QStringLiteral("the print spooler did not take all of its bytes")));
        if (!ended)
            return failed(mayNotHavePrinted(label, QStringLiteral("the print spooler did not confirm its job")));
        result.outcome = LabelJob::Sent;
        return result;
    } catch (const ERawPrinterException &e) {
        if (!SpoolerReachable())
            return failed(unreachable);
        // The printer and the spooler's own reason follow the words of the failure.
        const QString reason = LastSpoolerReason();
        return failed(QStringLiteral("%1. Printer: %2.%3")
                          .arg(e.message(), device,
                               reason.isEmpty() ? QString() : QStringLiteral(" The print spooler says: ") + reason));
    } catch (const ETabrixError &e) {
        return failed(e.message());
    }
}

void ShowPrintFailure(const LabelJob &job)
{
    if (job.noPrinter)
        prompter().generalError(WithFullStop(job.outcome));
    else
        ShowError(job.outcome);
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
