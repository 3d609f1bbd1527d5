#include "labels/PrintRun.h"
#include "app/base/Prompter.h"
#include "labels/LabelFields.h"
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
    tests.First();
    bool printed = true;
    while (!tests.Eof() && printed) {
        const RecordLabel label = LabelOfCurrentTest(htmlDoc, store);
        printed = PrintLabel(label.bytes, label.name);
        tests.Next();
    }
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
