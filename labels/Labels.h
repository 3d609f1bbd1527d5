#pragma once
#include <QByteArray>

namespace Tabrix {

// Prints one label: one raw job to the current printer holding exactly these
// bytes, kept open PrinterWait milliseconds before it is ended. False after a
// failure it has shown; no printer at all raises to the caller.
bool PrintLabel(const QByteArray &bytes);
// Waits, keeping the window system going; a request to quit made meanwhile
// still ends the program afterwards.
void Delay(int milliseconds);

} // namespace Tabrix
