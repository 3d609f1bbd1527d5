// One registration station without its window, for the shared-register load test
// and benchmark: registers COUNT patients with two tests each through the record
// lifecycle the main window uses (New, the fields, save, the tests), with TEMPLATE
// prints each registration's labels through the print run on the current printer,
// then prints
//   saved N collisions C p50 T50 p99 T99 max TMAX   (times of one save in milliseconds)
//
//   station_load DATA_LINK_FILE MIN_VALUE MAX_VALUE COUNT NAME [TEMPLATE]
#include "base/Clock.h"
#include "base/Prompter.h"
#include "base/TabrixDefs.h"
#include "labels/PrintRun.h"
#include "labels/Template.h"
#include "register/EntryRules.h"
#include "register/RecordLifecycle.h"

#include <QGuiApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace Tabrix;

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the labels are drawn to read their barcodes back
    const QStringList args = app.arguments();
    if (args.size() != 6 && args.size() != 7) {
        std::fprintf(stderr, "usage: station_load DATA_LINK_FILE MIN_VALUE MAX_VALUE COUNT NAME [TEMPLATE]\n");
        return 2;
    }
    Station station(QCoreApplication::applicationFilePath());
    StationSettings settings = station.settings();
    settings.TAccn = {args[2].toInt(), args[3].toInt(), 0};
    settings.PrinterWait = 0;
    settings.StationID = args[5]; // a chain of its own in the audit trail
    station.putInForce(settings);
    const int count = args[4].toInt();
    const QString name = args[5];
    RecordStore store{station};
    RecordLifecycle life(store);
    life.CheckFields = [&] {
        const auto failure = CheckRecord(store.tblPatients, Clock::now());
        if (failure)
            ShowError(failure->message);
        return !failure;
    };
    PrinterDefinition labelTemplate;
    PrintRun run(life, store);
    try {
        store.Connect(args[1]);
        if (args.size() == 7)
            labelTemplate.lines = LoadTemplateLines(args[6]);
    } catch (const ETabrixError &e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(e.message()));
        return 1;
    }
    Cursor &p = store.tblPatients;
    QList<double> saves;
    for (int i = 0; i < count; ++i) {
        life.tbNewClick();
        if (p.state() != Cursor::State::Insert)
            return 1; // refused: the reason is on standard error
        p.setValue(QStringLiteral("Last_Name"), QStringLiteral("%1-%2").arg(name).arg(i));
        p.setValue(QStringLiteral("First_Name"), name);
        p.setValue(QStringLiteral("Patient_id"), QStringLiteral("MRN%1-%2").arg(name).arg(i));
        p.setValue(QStringLiteral("DOB"), QStringLiteral("01/19/1970"));
        p.setValue(QStringLiteral("Location"), QStringLiteral("W1"));
        const QDateTime collected = Clock::now().addSecs(-3600);
        p.setValue(QStringLiteral("Collection_date"), collected.toString(QStringLiteral("MM/dd/yyyy")));
        p.setValue(QStringLiteral("Collection_Time"), collected.toString(QStringLiteral("HHmm")));
        QElapsedTimer clock;
        clock.start();
        if (!life.TryPost())
            return 1;
        saves << clock.nsecsElapsed() / 1e6;
        const qint32 orderId = p.asInteger(QStringLiteral("Order_id"));
        for (const char *code : {"CBC", "BMP"}) {
            try {
                store.tblTests.Append();
                store.tblTests.setValue(QStringLiteral("Order_id"), orderId);
                store.tblTests.setValue(QStringLiteral("TestCode"), QString::fromLatin1(code));
                store.postTest();
            } catch (const ETabrixError &e) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(e.message()));
                return 1;
            }
        }
        if (!labelTemplate.lines.isEmpty()) {
            QString said;
            run.print(labelTemplate, {[](bool) {}, [&](const QString &text) { said = text; }});
            if (!said.startsWith(QStringLiteral("2 labels sent"))) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(said));
                return 1;
            }
        }
    }
    std::sort(saves.begin(), saves.end());
    const auto at = [&](double q) { return saves.isEmpty() ? 0.0 : saves[qsizetype(q * (saves.size() - 1))]; };
    std::printf("saved %d collisions %d p50 %.2f p99 %.2f max %.2f\n", count, life.collisionsResolved(), at(0.5), at(0.99),
                at(1.0));
    return 0;
}
