#include "labels/Printers.h"
#include "base/TabrixError.h"
#include "labels/RawPrinter.h"

#include <cups/cups.h>

namespace Tabrix::Printers {

namespace {
QString chosen;

int collect(void *user, unsigned, cups_dest_t *dest)
{
    if (!dest->instance)
        static_cast<QStringList *>(user)->append(QString::fromUtf8(dest->name));
    return 1;
}
} // namespace

QStringList InstalledPrinters()
{
    QStringList names;
    // Local queues only answer at once; a short bound keeps a dead spooler from holding us.
    cupsEnumDests(CUPS_DEST_FLAGS_NONE, 300, nullptr, 0, CUPS_PRINTER_DISCOVERED, collect, &names);
    return names;
}

void SetCurrentPrinter(const QString &name)
{
    chosen = name;
}

QString CurrentPrinterName()
{
    if (!chosen.isEmpty())
        return chosen;
    // Asked over a connection with a bounded wait, so a spooler that hangs cannot hold the print.
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
    cups_dest_t *dest = http ? cupsGetNamedDest(http, nullptr, nullptr) : nullptr;
    httpClose(http);
    if (!dest)
        throw ETabrixError(QStringLiteral("There is no default printer currently selected"));
    const QString name = QString::fromUtf8(dest->name);
    cupsFreeDests(1, dest);
    return name;
}

bool SelectByName(const QString &name)
{
    if (name.isEmpty())
        return false;
    // A spooler that cannot be asked now keeps the printer the station chose; the
    // print says what is wrong when it comes to it.
    if (!SpoolerReachable()) {
        chosen = name;
        return true;
    }
    for (const QString &printer : InstalledPrinters())
        if (printer.compare(name, Qt::CaseInsensitive) == 0) {
            chosen = printer;
            return true;
        }
    return false;
}

void SelectSettingsPrinter(const QString &name)
{
    if (!SelectByName(name))
        SetCurrentPrinter(QString());
}

} // namespace Tabrix::Printers
