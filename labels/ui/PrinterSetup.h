#pragma once

class QWidget;

namespace Tabrix {

class Station;

// File > Printer Setup: the print dialog on the current printer; when confirmed,
// the chosen printer becomes current and is kept in the settings.
void PrinterSetup2Click(QWidget *parent, const Station &station);

} // namespace Tabrix
