#include "labels/PrintRun.h"
#include "app/base/Prompter.h"
#include "labels/LabelFields.h"
#include "labels/LabelLedger.h"
#include "labels/Labels.h"
#include "labels/Template.h"
#include "register/RecordLifecycle.h"

namespace Tabrix {

namespace {
// Runs `undo` when the scope ends, however it ends.
template <class F>
struct Finally {
    F undo;
    ~Finally() { undo(); }
};
template <class F>
Finally(F) -> Finally<F>;
} // namespace

void PrintLabels(const QStringList &htmlDoc, RecordLifecycle &lifecycle, RecordStore &store,
                 const PrintRunWindow &window)
{
    if (htmlDoc.isEmpty()) {
        ShowError(QStringLiteral("No print template available"));
        return;
    }
    window.setToolbarEnabled(false);
    Finally toolbarBack{[&] { window.setToolbarEnabled(true); }};
    if (!lifecycle.TryPost())
        return;
    Cursor &tests = store.tblTests;
    if (tests.IsEmpty()) {
        ShowError(QStringLiteral("No tests to print"));
        return;
    }
    window.suspendTestList(true);
    Finally listBack{[&] { window.suspendTestList(false); }};
    const Cursor &patients = store.tblPatients;
    const QString accession = patients.asString(QStringLiteral("AccnStr"));
    LabelLedger ledger(patients.database());
    int sent = 0;
    QString printer, stoppedAt;
    Finally report{[&] {
        if (!window.showStatus)
            return;
        const QString done = QStringLiteral("%1 label%2 sent to %3 for %4")
                                 .arg(sent)
                                 .arg(sent == 1 ? QString() : QStringLiteral("s"),
                                      printer.isEmpty() ? QStringLiteral("the printer") : printer, accession);
        window.showStatus(stoppedAt.isEmpty() ? done : QStringLiteral("Printing stopped at the label for %1; %2.").arg(stoppedAt, done));
    }};
    tests.First();
    while (!tests.Eof()) {
        const RecordLabel label = LabelOfCurrentTest(htmlDoc, store);
        stoppedAt = label.name;
        if (window.showStatus)
            window.showStatus(QStringLiteral("Printing the label for %1").arg(label.name));
        LabelJob job;
        const bool goOn = PrintRecorded(ledger,
                                        {patients.value(QStringLiteral("Order_id")), patients.value(QStringLiteral("AccnNum")),
                                         accession, tests.asString(QStringLiteral("TestCode")), label.bytes},
                                        label.name, job);
        if (job.outcome.isEmpty())
            return; // the ledger refused the label before it went out
        printer = job.printer;
        sent += job.sent();
        tests.Next(); // after a failure too: the run ends on the test after it
        if (!goOn)
            return;
    }
    stoppedAt.clear();
}

RecordLabel LabelOfCurrentTest(const QStringList &htmlDoc, const RecordStore &store)
{
    const Cursor &tests = store.tblTests;
    const TagHandler handler = [&](const QString &, const TagParams &params) {
        return PageProducer1HTMLTag(store.tblPatients, tests, params);
    };
    return {QStringLiteral("%1, test %2")
                .arg(store.tblPatients.asString(QStringLiteral("AccnStr")), tests.asString(QStringLiteral("TestCode"))),
            RenderLabel(htmlDoc, handler)};
}

QList<RecordLabel> RecordLabels(const QStringList &htmlDoc, RecordStore &store)
{
    Cursor &tests = store.tblTests;
    const QVariant was = tests.key();
    const auto back = [&] {
        if (!was.isNull())
            tests.Locate(was);
    };
    QList<RecordLabel> labels;
    try {
        for (tests.First(); !tests.Eof(); tests.Next())
            labels << LabelOfCurrentTest(htmlDoc, store);
    } catch (const ETabrixError &) {
        back();
        throw;
    }
    back();
    return labels;
}

} // namespace Tabrix
