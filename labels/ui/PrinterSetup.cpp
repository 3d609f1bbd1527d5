#include "labels/ui/PrinterSetup.h"
#include "base/Settings.h"
#include "register/Station.h"
#include "base/TabrixError.h"
#include "labels/Printers.h"

#include <QPrintDialog>
#include <QPrinter>

namespace Tabrix {

void PrinterSetup2Click(QWidget *parent, const Station &station)
{
    QPrinter printer;
    try {
        printer.setPrinterName(Printers::CurrentPrinterName());
    } catch (const ETabrixError &) {
        // no printer yet: the dialog offers whatever is installed
    }
    QPrintDialog PrintDialog1(&printer, parent);
    PrintDialog1.setObjectName(QStringLiteral("PrintDialog1"));
    if (PrintDialog1.exec() != QDialog::Accepted)
        return;
    Printers::SetCurrentPrinter(printer.printerName());
    station.write(Settings::Printer, printer.printerName());
}

} // namespace Tabrix
