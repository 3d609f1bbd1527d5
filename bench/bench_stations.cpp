// Registrations per second sustained by 1, 4 and 8 stations saving into one
// register at once (a private PostgreSQL server, then one SQLite file), all on one
// shared range and then each on a range of its own, with the median and the 99th
// percentile of one save.
//   bench_stations [REGISTRATIONS_PER_STATION]   (default 200)
#include "register/setup/RegisterSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace Tabrix;

namespace {

constexpr int PgPort = 55439;

struct Run {
    double rate = 0, p50 = 0, p99 = 0;
    int collisions = 0;
    bool ok = true;
};

// N stations at once on the register `udl` names: on one shared range, or each
// on a range of its own (X1i0000-X1i9999 for station i).
Run stations(const QString &udl, int n, int each, bool ownRanges)
{
    QList<QProcess *> running;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i) {
        auto *p = new QProcess;
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 min = ownRanges ? 100100000 + i * 10000 : 100012345;
        const qint64 max = ownRanges ? min + 9999 : 100099999;
        p->start(QStringLiteral(TABRIX_STATION_LOAD), {udl, QString::number(min), QString::number(max),
                                                        QString::number(each), QStringLiteral("S%1").arg(i)});
        running << p;
    }
    Run run;
    QList<double> p50s;
    for (QProcess *p : running) {
        p->waitForFinished(-1);
        const QStringList f = QString::fromUtf8(p->readAllStandardOutput()).split(' ');
        run.ok &= p->exitCode() == 0 && f.size() >= 8;
        run.collisions += f.value(3).toInt();
        p50s << f.value(5).toDouble();
        run.p99 = std::max(run.p99, f.value(7).toDouble());
    }
    run.rate = n * each / (clock.nsecsElapsed() / 1e9);
    std::sort(p50s.begin(), p50s.end());
    run.p50 = p50s.value(p50s.size() / 2);
    qDeleteAll(running);
    return run;
}

void print(const char *kind, int n, const Run &r)
{
    std::printf("%-10s %d station(s): %7.0f registrations/s   save p50 %6.2f ms  p99 %7.2f ms  collisions %d%s\n", kind, n,
                r.rate, r.p50, r.p99, r.collisions, r.ok ? "" : "  (A SAVE FAILED)");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int each = argc > 1 ? std::atoi(argv[1]) : 200;
    const QString cluster = QStringLiteral(TABRIX_SOURCE_DIR "/tests/pg/cluster.sh");
    QTemporaryDir pgDir(QStringLiteral("/tmp/tabrix-bench-pg-XXXXXX"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    QProcess start;
    start.setProcessEnvironment(env);
    start.start(QStringLiteral("bash"), {cluster, "start", pgDir.path(), QString::number(PgPort)});
    start.waitForFinished(-1);
    const bool pg = start.exitCode() == 0;

    int made = 0;
    // A new, empty register of each kind in `folder`: its data link file.
    const auto postgresRegister = [&](const QTemporaryDir &folder) {
        const QString db = QStringLiteral("bench%1").arg(++made);
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
            admin.setHostName(pgDir.path());
            admin.setPort(PgPort);
            admin.setUserName(QStringLiteral("postgres"));
            admin.setDatabaseName(QStringLiteral("postgres"));
            admin.open();
            QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + db);
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        RegisterSetup::CreatePostgresRegister(pgDir.path(), PgPort, db, QStringLiteral("postgres"), QString());
        const QString udl = folder.filePath(QStringLiteral("tabrix.udl"));
        RegisterSetup::WriteDataLink(udl, QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=postgres")
                                              .arg(pgDir.path())
                                              .arg(PgPort)
                                              .arg(db));
        return udl;
    };
    const auto sqliteRegister = [](const QTemporaryDir &folder) {
        RegisterSetup::CreateSqliteRegister(folder.filePath(QStringLiteral("tabrix.db")));
        const QString udl = folder.filePath(QStringLiteral("tabrix.udl"));
        RegisterSetup::WriteDataLink(udl, QStringLiteral("Provider=SQLite;Data Source=tabrix.db"));
        return udl;
    };

    for (const bool ownRanges : {false, true}) {
        QList<std::pair<int, Run>> pgRuns, sqliteRuns;
        for (int n : {1, 4, 8}) {
            if (pg) {
                QTemporaryDir folder;
                pgRuns << std::pair{n, stations(postgresRegister(folder), n, each, ownRanges)};
            }
            QTemporaryDir folder;
            sqliteRuns << std::pair{n, stations(sqliteRegister(folder), n, each, ownRanges)};
        }
        std::printf("\n%d registrations (2 tests each) per station, %s\n", each,
                    ownRanges ? "each station on a range of its own" : "one shared range");
        for (const auto &[n, r] : pgRuns)
            print("PostgreSQL", n, r);
        for (const auto &[n, r] : sqliteRuns)
            print("SQLite", n, r);
        if (pg && pgRuns.size() == 3)
            std::printf("PostgreSQL 8 stations / 1: %.1fx (goal: at least 3x); p99 %.1f ms (goal: under 50 ms)\n",
                        pgRuns[2].second.rate / pgRuns[0].second.rate, pgRuns[2].second.p99);
        if (sqliteRuns.size() == 3)
            std::printf("SQLite 8 stations: p99 %.1f ms (goal: under 250 ms), %s\n", sqliteRuns[2].second.p99,
                        sqliteRuns[2].second.ok ? "no save failed (goal)" : "A SAVE FAILED");
    }
    QProcess::execute(QStringLiteral("bash"), {cluster, "stop", pgDir.path()});
    return 0;
}
