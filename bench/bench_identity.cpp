// The identity check of a save and Find, at 10,000 and 1,000,000 registrations:
// each is a lookup or two through an index, so both sizes should cost the same.
// Then what the audit row adds to the save of a change.
#include "bench/BenchRegister.h"
#include "register/IdentityCheck.h"
#include "register/RecordStore.h"
#include "register/RegistrationFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

using namespace Tabrix;

namespace {

double meanMs(int times, const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < times; ++i)
        work();
    return t.nsecsElapsed() / 1e6 / times;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("%-14s %16s %16s %16s %16s %16s\n", "registrations", "identity (ms)", "find accn (ms)",
                "find id (ms)", "find name (ms)", "find next (ms)");
    for (int n : {10000, 1000000}) {
        QTemporaryDir dir;
        Bench::fill(dir.filePath(QStringLiteral("tabrix.db")), n, true);
        RegisterSetup::WriteDataLink(dir.filePath(QStringLiteral("tabrix.udl")), QStringLiteral("Provider=SQLite;Data Source=tabrix.db"));
        Station station(dir.filePath(QStringLiteral("tabrix")));
        RecordStore store{station};
        store.Connect(dir.filePath(QStringLiteral("tabrix.udl")));
        // A new registration of a patient held under another first name: the question's case.
        Cursor &p = store.tblPatients;
        p.Append();
        const int held = n / 2;
        p.setValue(QStringLiteral("Patient_id"), QString::number(held));
        p.setValue(QStringLiteral("Last_Name"), QStringLiteral("LAST%1").arg((qint64(held) * 7919) % n));
        p.setValue(QStringLiteral("First_Name"), QStringLiteral("SOMEONE"));
        p.setValue(QStringLiteral("DOB"), QStringLiteral("01/19/1970"));
        const double identity = meanMs(1000, [&] {
            if (!FindIdentityConflict(store.database(), p, {}))
                std::abort(); // the conflict must be found
        });
        RegistrationFinder finder(store.database());
        const QString accn = QStringLiteral("X%1").arg(held), id = QString::number(held + 1),
                      name = QStringLiteral("LAST%1, F").arg((qint64(held) * 7919) % n);
        const auto find = [&](const QString &text) {
            return meanMs(1000, [&] {
                RegistrationFinder fresh(store.database());
                if (!fresh.next(text))
                    std::abort();
            });
        };
        const double byAccn = find(accn), byId = find(id), byName = find(name);
        const double next = meanMs(1000, [&] { finder.next(QStringLiteral("LAST1")); }); // a run of matches, one by one
        std::printf("%-14d %16.3f %16.3f %16.3f %16.3f %16.3f\n", n, identity, byAccn, byId, byName, next);
        p.Cancel();
        store.Disconnect();
    }
    std::printf("goal: each under 5 ms, the same at both sizes\n\n");

    // What the audit row adds to a save: the same changes saved with the trail and without it.
    QTemporaryDir dir;
    Bench::fill(dir.filePath(QStringLiteral("tabrix.db")), 10000, true);
    RegisterSetup::WriteDataLink(dir.filePath(QStringLiteral("tabrix.udl")), QStringLiteral("Provider=SQLite;Data Source=tabrix.db"));
    Station station(dir.filePath(QStringLiteral("tabrix")));
    const auto saves = [&] {
        RecordStore store{station};
        store.Connect(dir.filePath(QStringLiteral("tabrix.udl")));
        int n = 0;
        const double ms = meanMs(500, [&] {
            store.tblPatients.Edit();
            store.tblPatients.setValue(QStringLiteral("Location"), QStringLiteral("W%1").arg(++n));
            store.postPatient(store.storedPatient());
        });
        store.Disconnect();
        return ms;
    };
    const double audited = saves();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("drop"));
        db.setDatabaseName(dir.filePath(QStringLiteral("tabrix.db")));
        db.open();
        QSqlQuery(db).exec(QStringLiteral("DROP TABLE audit_log"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("drop"));
    const double plain = saves();
    std::printf("a change saved: %.3f ms with its audit row, %.3f ms without: the row adds %.3f ms (goal: under 1 ms)\n",
                audited, plain, audited - plain);
    return 0;
}
