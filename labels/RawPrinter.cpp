#include "labels/RawPrinter.h"

#include <cups/cups.h>
#include <map>

namespace Tabrix {

namespace {

// Each raw job talks to the spooler over a connection of its own, with bounded waits.
struct Job {
    http_t *http;
    QByteArray printer;
    int id;
    qint64 written = 0;
};
std::map<int, Job> openJobs;
int lastHandle = 0;
QString lastReason;

constexpr int ConnectTimeoutMs = 5000;
constexpr double ReplyTimeoutS = 5.0;

int giveUp(http_t *, void *)
{
    return 0; // a spooler that stops answering ends the call
}

void close(Job &job)
{
    httpClose(job.http);
}

// The spooler's reason for the last refusal, in its words; a queue it does not
// know it reports only as a missing file, so that is asked of it.
QString spoolerReason(http_t *http, const QByteArray &printer)
{
    const QString said = QString::fromUtf8(cupsLastErrorString());
    cups_dest_t *dest = cupsGetNamedDest(http, printer.constData(), nullptr);
    if (!dest)
        return QStringLiteral("There is no such printer.");
    cupsFreeDests(1, dest);
    return said;
}

// Fails a start, keeping the spooler's reason.
int refused(http_t *http, const QByteArray &printer)
{
    lastReason = spoolerReason(http, printer);
    httpClose(http);
    return -1;
}

} // namespace

QString LastSpoolerReason()
{
    return lastReason;
}

int StartRawPrintJob(const QString &printerName, const QString &, const QString &documentName)
{
    lastReason.clear();
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ConnectTimeoutMs, nullptr);
    if (!http)
        return -1;
    httpSetTimeout(http, ReplyTimeoutS, giveUp, nullptr);
    const QByteArray printer = printerName.toUtf8();
    const QByteArray title = documentName.toUtf8();
    const int id = cupsCreateJob(http, printer.constData(), title.constData(), 0, nullptr);
    if (id <= 0)
        return refused(http, printer);
    if (cupsStartDocument(http, printer.constData(), id, title.constData(), CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        lastReason = spoolerReason(http, printer);
        cupsCancelJob2(http, printer.constData(), id, 0);
        httpClose(http);
        return -1;
    }
    openJobs[++lastHandle] = Job{http, printer, id, 0};
    return lastHandle;
}

int RawJobId(int handle)
{
    const auto job = openJobs.find(handle);
    return job == openJobs.end() ? 0 : job->second.id;
}

int StartRawPrintPage(int handle)
{
    return openJobs.count(handle) ? 1 : -1;
}

int PrintRawData(int handle, const char *buffer, qint64 count)
{
    if (count == 0)
        return 1;
    const auto job = openJobs.find(handle);
    if (job == openJobs.end())
        return -1;
    if (cupsWriteRequestData(job->second.http, buffer, size_t(count)) != HTTP_STATUS_CONTINUE)
        return -1;
    job->second.written += count;
    return 1;
}

int EndRawPrintPage(int handle)
{
    return openJobs.count(handle) ? 1 : -1;
}

int EndRawPrintJob(int handle)
{
    const auto found = openJobs.find(handle);
    if (found == openJobs.end())
        return -1;
    Job job = found->second;
    openJobs.erase(found);
    const bool done = cupsFinishDocument(job.http, job.printer.constData()) == IPP_STATUS_OK;
    if (!done) // never leave a job that cannot be finished lying in the queue
        cupsCancelJob2(job.http, job.printer.constData(), job.id, 0);
    close(job);
    // The spooler refuses a document of no bytes; such a label counts as handed over.
    return done || job.written == 0 ? 1 : -1;
}

TWinRawPrinter::TWinRawPrinter(const QString &printerName, const QString &outputFile)
{
    Handle = StartRawPrintJob(printerName, outputFile, QStringLiteral("TWinRawPrinter Document"));
    if (Handle < 0)
        throw ERawPrinterException(QStringLiteral("StartRawPrintJob failed"));
    JobId = RawJobId(Handle);
    if (StartRawPrintPage(Handle) < 0) {
        EndRawPrintJob(Handle);
        throw ERawPrinterException(QStringLiteral("StartRawPrintPage failed"));
    }
}

TWinRawPrinter::~TWinRawPrinter()
{
    if (Handle >= 0)
        End();
}

bool TWinRawPrinter::End()
{
    EndRawPrintPage(Handle);
    const bool ended = EndRawPrintJob(Handle) == 1;
    Handle = -1;
    return ended;
}

bool TWinRawPrinter::Write(const char *buffer, qint64 count)
{
    return PrintRawData(Handle, buffer, count) == 1;
}

bool TWinRawPrinter::WriteString(const QByteArray &bytes)
{
    return Write(bytes.constData(), bytes.size());
}

bool SpoolerReachable()
{
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, ConnectTimeoutMs, nullptr);
    httpClose(http);
    return http != nullptr;
}

} // namespace Tabrix
