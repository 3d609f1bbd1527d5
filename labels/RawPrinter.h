#pragma once
#include "base/TabrixError.h"

#include <QByteArray>
#include <QString>

// Raw print jobs: the bytes of one label handed to the spooler unchanged, as one
// job of its own. Each function reports -1 for failure.
namespace Tabrix {

class ERawPrinterException : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};

// Opens the printer and starts a raw document; returns the job's handle.
int StartRawPrintJob(const QString &printerName, const QString &outputFile, const QString &documentName);
int StartRawPrintPage(int handle);
// A count of 0 succeeds without writing anything.
int PrintRawData(int handle, const char *buffer, qint64 count);
int EndRawPrintPage(int handle);
// Ends the document, which hands the job to the spooler, and closes the printer.
int EndRawPrintJob(int handle);
// The spooler's id of an open job, 0 for none.
int RawJobId(int handle);
// The spooler's own words for why the last StartRawPrintJob failed ("The printer
// or class is not accepting jobs."), empty when it gave none.
QString LastSpoolerReason();

// One open raw job with one open page, from construction to destruction.
class TWinRawPrinter {
public:
    // Raises ERawPrinterException "StartRawPrintJob failed" or "StartRawPrintPage failed".
    TWinRawPrinter(const QString &printerName, const QString &outputFile);
    ~TWinRawPrinter();
    TWinRawPrinter(const TWinRawPrinter &) = delete;
    TWinRawPrinter &operator=(const TWinRawPrinter &) = delete;

    bool Write(const char *buffer, qint64 count);
    // True when every byte was taken.
    bool WriteString(const QByteArray &bytes);
    // Ends the page and the job, which hands the job to the spooler; true when the
    // spooler confirmed it. The destructor ends a job that was not ended.
    bool End();

    int Handle;
    int JobId = 0; // the spooler's
};

// Whether the print spooler answers a connection, within 5 seconds.
bool SpoolerReachable();

} // namespace Tabrix
