#pragma once
#include <QString>
#include <QStringList>

// The program's one current printer: the label printer chosen in Printer Setup,
// at start from the settings, or by the patient log report's print dialog.
// Printers are the print spooler's (CUPS) destinations; a printer's name is both
// its display text and its device name, and it has no port.
namespace Tabrix::Printers {

// The installed printers, in the spooler's order.
QStringList InstalledPrinters();
// Makes a printer current; an empty name returns to the spooler's default.
void SetCurrentPrinter(const QString &name);
// The current printer's name: the chosen one, else the spooler's default.
// Raises ETabrixError "There is no default printer currently selected" when there is none.
QString CurrentPrinterName();
// Makes the installed printer whose name equals `name` without regard to case
// current; false (and nothing changes) when there is none. While the spooler
// cannot be reached, the name is kept as it is.
bool SelectByName(const QString &name);
// At start: the printer the settings name (Printer/Printer), if it is installed;
// else the spooler's default.
void SelectSettingsPrinter(const QString &name);

} // namespace Tabrix::Printers
