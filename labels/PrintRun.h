#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>

namespace Tabrix {

class RecordLifecycle;
class RecordStore;

// What a print run asks of the window around it.
struct PrintRunWindow {
    std::function<void(bool)> setToolbarEnabled;
    std::function<void(bool)> suspendTestList; // the test list stops following the run
    std::function<void(const QString &)> showStatus = {}; // the label printing, then what the run printed
};

// Prints one label per test of the current record, in the test cursor's order:
// the template expanded afresh for each, one raw job each, stopping at the first
// label that fails. Each label has its row in the register's print ledger before
// it goes out; a ledger that cannot be written stops the run. An error while a
// label is produced ends the run and reaches the caller; the toolbar and the test
// list are back either way. The window's status names each label as it prints,
// and at the end what went where.
void PrintLabels(const QStringList &htmlDoc, RecordLifecycle &lifecycle, RecordStore &store,
                 const PrintRunWindow &window);

// A label of the current record: which it is ("X12345, test CBC") and its bytes.
struct RecordLabel {
    QString name;
    QByteArray bytes;
};
// The label of the test cursor's current test, exactly as the print run makes it.
RecordLabel LabelOfCurrentTest(const QStringList &htmlDoc, const RecordStore &store);
// Every label a print run would send for the current record, in its order; the test
// cursor is back on its row afterwards.
QList<RecordLabel> RecordLabels(const QStringList &htmlDoc, RecordStore &store);

} // namespace Tabrix
