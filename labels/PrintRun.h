#pragma once
#include "labels/LabelLedger.h"
#include "labels/Template.h"
#include "register/Registration.h"
#include "register/Station.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>

namespace Tabrix {

class RecordLifecycle;
class RecordStore;

// What a print run asks of the window around it.
struct PrintRunWindow {
    std::function<void(bool)> setToolbarEnabled;
    std::function<void(const QString &)> showStatus = {}; // the label printing, then what the run printed
};

// A label of a registration: which it is ("X12345, test CBC"), its test and its bytes.
struct RecordLabel {
    QString name;
    TestOrder test;
    QByteArray bytes;
};
// The label of one test of a registration, exactly as a print at `station` makes it.
RecordLabel LabelOfTest(const QStringList &htmlDoc, const Registration &record, const TestOrder &test,
                        const StationSettings &station);
// Every label a print of the registration would send, in its tests' order.
QList<RecordLabel> RegistrationLabels(const QStringList &htmlDoc, const Registration &record,
                                      const StationSettings &station);

// The registration a print of the current record would print, after the
// checks both the print and the preview make, in their order: a printer
// definition that can be used, the record saved, tests to print. Null, and the
// reason shown, when one fails; `beforeSave` runs just before the record is saved.
Registration RegistrationToPrint(const PrinterDefinition &definition, RecordLifecycle &lifecycle, RecordStore &store,
                                 const std::function<void()> &beforeSave = {});

// What a print run did: for which registration, how many labels went, and the
// tests whose labels did not (the one that failed and those after it).
struct PrintRunResult {
    QString accnStr;
    int sent = 0;
    QStringList unprinted;
    bool failed() const { return !unprinted.isEmpty(); }
};

// Prints the current registration's labels, one per test, one raw job each,
// stopping at the first label that fails. The run takes the registration and its
// tests as the register holds them when it starts and prints exactly those,
// whatever is done on the window meanwhile. Each label has its row in the print
// ledger before it goes out. After a run that stopped, the next run of that
// registration prints only the labels still missing. Every failure is shown;
// the window's status names each label as it prints, and at the end what went
// where and what did not.
class PrintRun {
public:
    PrintRun(RecordLifecycle &lifecycle, RecordStore &store) : m_lifecycle(lifecycle), m_store(store) {}
    PrintRunResult print(const PrinterDefinition &definition, const PrintRunWindow &window);
    // Prints `copies` more labels of the current registration's test `testCode`
    // (labels that jammed, replaced), in the same way: each a job of its own with
    // its ledger row, which counts it as a reprint.
    PrintRunResult reprint(const PrinterDefinition &definition, const PrintRunWindow &window, const QString &testCode,
                           int copies);

private:
    PrintRunResult run(const PrinterDefinition &definition, const PrintRunWindow &window, bool remember,
                       const std::function<QList<TestOrder>(const Registration &)> &choose);
    RecordLifecycle &m_lifecycle;
    RecordStore &m_store;
    QHash<QString, QSet<QString>> m_sentBefore; // by Order_id: the tests a run that stopped did send
    QList<RecordedPrinting::IncompleteRow> m_incomplete; // ledger rows earlier runs could not complete
};

} // namespace Tabrix
