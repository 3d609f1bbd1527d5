// The patient log and the export on a register of 1,000,000 patients: opening the
// log and showing its first screen, sorting by last name, and the export's rows per
// second next to sqlite3 writing the same lines from the same file with one query.
#include "app/base/TabrixDefs.h"
#include "bench/BenchRegister.h"
#include "log/PatientLogModel.h"
#include "log/RegisterExport.h"
#include "register/RecordStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace Tabrix;

static double firstScreenMs(PatientLogModel &model)
{
    QElapsedTimer t;
    t.start();
    model.reload();
    for (int row = 0; row < 40; ++row)
        for (int c = 0; c < model.columnCount(); ++c)
            model.data(model.index(row, c), Qt::DisplayRole);
    model.currentRow();
    return t.nsecsElapsed() / 1e6;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int patients = argc > 1 ? atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString db = dir.filePath("tabrix.db");
    Bench::fill(db, patients);
    RegisterSetup::WriteDataLink(dir.filePath("tabrix.udl"), "Provider=SQLite;Data Source=tabrix.db");
    RecordStore store;
    store.Connect(dir.filePath("tabrix.udl"));

    PatientLogModel model(store.tblPatients);
    const double open = firstScreenMs(model);
    store.tblPatients.setSortFields({"Last_Name", "First_Name", "Patient_id"});
    const double sorted = firstScreenMs(model);
    std::printf("%d patients\n", patients);
    std::printf("open the log, first screen:      %8.1f ms (goal: 300)\n", open);
    std::printf("sort by last name, first screen: %8.1f ms (goal: 300)\n", sorted);

    QElapsedTimer t;
    t.start();
    ExportRegister(store.database(), dir.filePath("export.txt"), [](qint64, qint64) { QCoreApplication::processEvents(); return true; });
    const double ours = t.nsecsElapsed() / 1e9;

    const QString query =
        "SELECT p.Order_id||'\\'||p.AccnNum||'\\'||p.AccnStr||'\\'||p.Created||'\\'||p.Last_Name||'\\'||p.First_Name"
        "||'\\'||p.Middle_Initial||'\\'||p.Gender||'\\'||p.Patient_id||'\\'||p.DOB||'\\'||p.Location"
        "||'\\'||p.Collection_date||'\\'||p.Collection_Time||'\\'||p.Recieve_date||'\\'||p.Recieve_Time||'\\'"
        "||coalesce(group_concat(t.TestCode, ','), '') FROM patients p LEFT JOIN tests t ON t.Order_id = p.Order_id "
        "GROUP BY p.Order_id ORDER BY p.AccnNum;";
    QProcess sqlite;
    sqlite.setStandardOutputFile(dir.filePath("baseline.txt"));
    t.restart();
    sqlite.start("sqlite3", {db, query});
    sqlite.waitForFinished(-1);
    const double baseline = t.nsecsElapsed() / 1e9;
    std::printf("export:   %10.0f rows/s\n", patients / ours);
    std::printf("sqlite3:  %10.0f rows/s\n", patients / baseline);
    std::printf("ratio export/sqlite3 speed: %.2f (goal: at least 1)\n", baseline / ours);
    return 0;
}
