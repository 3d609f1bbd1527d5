#pragma once
#include <QStringList>
#include <functional>

namespace Tabrix {

class RecordLifecycle;
class RecordStore;

// What a print run asks of the window around it.
struct PrintRunWindow {
    std::function<void(bool)> setToolbarEnabled;
    std::function<void(bool)> suspendTestList; // the test list stops following the run
};

// Prints one label per test of the current record, in the test cursor's order:
// the template expanded afresh for each, one raw job each, stopping at the first
// label that fails. An error while a label is produced ends the run and reaches
// the caller; the toolbar and the test list are back either way.
void PrintLabels(const QStringList &htmlDoc, RecordLifecycle &lifecycle, RecordStore &store,
                 const PrintRunWindow &window);

} // namespace Tabrix
