// The patient log and the export on registers of 10,000, 100,000 and 1,000,000
// patients (three tests each): opening the log with its first screen, sorting by
// last name, jumping to the end, a page at the end, opening on the last record, a
// jump to the middle and the slowest screen of a drag of the scroll bar;
// then the export of the largest register next to sqlite3 writing the identical
// bytes (bench/export_baseline.sql), with the export's peak memory.
//   bench_log [PATIENTS...]
#include "bench/BenchRegister.h"
#include "log/PatientLogModel.h"
#include "log/RegisterExport.h"
#include "register/RecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Tabrix;

namespace {

constexpr int Screen = 40; // rows a log window shows

void show(const PatientLogModel &model, int from)
{
    for (int row = std::max(0, from); row < std::min(model.rowCount(), from + Screen); ++row)
        for (int c = 0; c < model.columnCount(); ++c)
            model.data(model.index(row, c), Qt::DisplayRole);
}

// The median of seven runs of `step` after `setUp`, in milliseconds.
double medianMs(const std::function<void()> &setUp, const std::function<void()> &step)
{
    QList<double> times;
    for (int i = 0; i < 7; ++i) {
        setUp();
        QElapsedTimer t;
        t.start();
        step();
        times << t.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times[3];
}

struct LogFigures {
    double open, sort, end, pageAtEnd, onLast, middle, slowestDragScreen;
};

LogFigures measureLog(RecordStore &store)
{
    Cursor &patients = store.tblPatients;
    PatientLogModel model(patients);
    const auto none = [] {};
    const auto reload = [&] { model.reload(); };
    LogFigures f;
    patients.setSortFields({});
    f.open = medianMs(none, [&] {
        model.reload();
        show(model, 0);
        model.currentRow();
    });
    f.sort = medianMs([&] { patients.setSortFields({}); }, [&] {
        patients.setSortFields({"Last_Name", "First_Name", "Patient_id"});
        model.reload();
        show(model, 0);
    });
    f.end = medianMs(reload, [&] { show(model, model.rowCount() - Screen); });
    // Page Up from the end: the page before the last one.
    f.pageAtEnd = medianMs([&] { model.reload(); show(model, model.rowCount() - Screen); },
                           [&] { show(model, model.rowCount() - Screen - PatientLogModel::PageSize); });
    f.middle = medianMs(reload, [&] { show(model, model.rowCount() / 2); });
    // The scroll bar dragged from top to bottom: a screen at each hundredth.
    model.reload();
    f.slowestDragScreen = 0;
    for (int step = 0; step <= 100; ++step) {
        QElapsedTimer t;
        t.start();
        show(model, int(qint64(model.rowCount() - Screen) * step / 100));
        f.slowestDragScreen = std::max(f.slowestDragScreen, t.nsecsElapsed() / 1e6);
    }
    const auto last = patients.rowsBeside(nullptr, Cursor::Direction::Before, 0, 1);
    patients.Locate(last.first().value("Order_id"));
    f.onLast = medianMs(none, [&] {
        model.reload();
        show(model, model.currentRow() - Screen / 2);
    });
    patients.First();
    return f;
}

// A memory figure of this process from /proc/self/status ("VmRSS:" now, "VmHWM:" the
// peak since the last reset), in MiB.
double statusMiB(const QByteArray &field)
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}
void resetPeak()
{
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

bool sameBytes(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "en_US.UTF-8"); // the export's dates as the sqlite3 script writes them
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << atoi(argv[i]);
    if (sizes.isEmpty())
        sizes = {10000, 100000, 1000000};

    std::printf("patients    open (ms)  sort (ms)  end (ms)  page at end (ms)  on last (ms)  middle (ms)  drag, slowest screen (ms)\n");
    QList<LogFigures> figures;
    QTemporaryDir dir;
    Station station(dir.filePath("tabrix"));
    RecordStore store{station};
    for (int patients : sizes) {
        store.Disconnect();
        const QString db = dir.filePath(QStringLiteral("tabrix%1.db").arg(patients));
        Bench::fill(db, patients);
        RegisterSetup::WriteDataLink(dir.filePath("tabrix.udl"), QStringLiteral("Provider=SQLite;Data Source=%1").arg(QFileInfo(db).fileName()));
        store.Connect(dir.filePath("tabrix.udl"));
        const LogFigures f = measureLog(store);
        figures << f;
        std::printf("%-10d %10.2f %10.2f %9.2f %17.2f %13.2f %12.2f %26.2f\n", patients, f.open, f.sort, f.end, f.pageAtEnd,
                    f.onLast, f.middle, f.slowestDragScreen);
    }
    const LogFigures &small = figures.first(), &large = figures.last();
    const auto ratio = [](double big, double little) { return big / std::max(little, 0.001); };
    std::printf("largest / smallest: open %.2f, sort %.2f, end %.2f, page at end %.2f, on last %.2f"
                " (goal: each within 1.5, and under 50 ms)\n",
                ratio(large.open, small.open), ratio(large.sort, small.sort), ratio(large.end, small.end),
                ratio(large.pageAtEnd, small.pageAtEnd), ratio(large.onLast, small.onLast));

    // The export of the largest register, and sqlite3 writing the same bytes.
    const int patients = sizes.last();
    const QString ours = dir.filePath("export.txt"), theirs = dir.filePath("baseline.txt");
    const double before = statusMiB("VmRSS:");
    resetPeak();
    QElapsedTimer t;
    t.start();
    ExportRegister(store.database(), ours, [](qint64, qint64) {
        QCoreApplication::processEvents();
        return true;
    });
    const double exportSeconds = t.nsecsElapsed() / 1e9;
    const double peak = statusMiB("VmHWM:");
    QProcess sqlite;
    sqlite.setStandardInputFile(QStringLiteral(TABRIX_SOURCE_DIR "/bench/export_baseline.sql"));
    sqlite.setStandardOutputFile(theirs);
    t.restart();
    sqlite.start("sqlite3", {dir.filePath(QStringLiteral("tabrix%1.db").arg(patients))});
    sqlite.waitForFinished(-1);
    const double sqliteSeconds = t.nsecsElapsed() / 1e9;
    std::printf("export of %d patients: %.2f s (%.0f rows/s), sqlite3 %.2f s; identical bytes: %s\n", patients,
                exportSeconds, patients / exportSeconds, sqliteSeconds, sameBytes(ours, theirs) ? "yes" : "NO");
    std::printf("export/sqlite3 speed: %.2f (goal: at least 1.5)\n", sqliteSeconds / exportSeconds);
    std::printf("export peak memory: %.1f MiB above the %.1f MiB before it (goal: under 32 MiB)\n", peak - before, before);
    return 0;
}
