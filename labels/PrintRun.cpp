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
    const TagHandler handler = [&](const QString &, const TagParams &params) {
        return PageProducer1HTMLTag(store.tblPatients, tests, params);
    };
    tests.First();
    bool printed = true;
    while (!tests.Eof() && printed) {
        const QString label = QStringLiteral("%1, test %2")
                                  .arg(store.tblPatients.asString(QStringLiteral("AccnStr")),
                                       tests.asString(QStringLiteral("TestCode")));
        printed = PrintLabel(RenderLabel(htmlDoc, handler), label);
        tests.Next();
    }
}

} // namespace Tabrix
