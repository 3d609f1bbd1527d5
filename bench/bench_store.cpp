// Opening the register and moving through it, for 10,000 and 1,000,000 patients
// with three tests each. Every move is one indexed query, so the figures for the
// large register should stay close to those for the small one.
#include "register/RecordStore.h"
#include "bench/BenchRegister.h"
#include "register/setup/RegisterSetup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace Tabrix;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("%-10s %12s %14s %14s %14s\n", "patients", "open (ms)", "First (us)", "Next (us)", "Prior (us)");
    for (int patients : {10000, 1000000}) {
        QTemporaryDir dir;
        const QString dbFile = dir.filePath("tabrix.db");
        Bench::fill(dbFile, patients);
        RegisterSetup::WriteDataLink(dir.filePath("tabrix.udl"), "Provider=SQLite;Data Source=tabrix.db");
        Station station(dir.filePath("tabrix"));
        StationSettings range = station.settings();
        range.TAccn.MinValue = 100000001;
        station.putInForce(range);

        RecordStore store{station};
        QElapsedTimer clock;
        clock.start();
        store.Connect(dir.filePath("tabrix.udl"));
        const double openMs = clock.nsecsElapsed() / 1e6;

        constexpr int moves = 10000;
        Cursor &c = store.tblPatients;
        const auto mean = [&](auto move) {
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < moves; ++i)
                move();
            return t.nsecsElapsed() / 1e3 / moves;
        };
        const double next = mean([&] { c.Next(); });
        const double prior = mean([&] { c.Prior(); });
        const double first = mean([&] { c.First(); });
        std::printf("%-10d %12.1f %14.1f %14.1f %14.1f\n", patients, openMs, first, next, prior);
        store.Disconnect();
    }
    return 0;
}
