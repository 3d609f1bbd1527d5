#include "labels/PrintRun.h"
#include "base/Prompter.h"
#include "labels/LabelFields.h"
#include "labels/LabelLedger.h"
#include "labels/Labels.h"
#include "register/RecordLifecycle.h"

#include <utility>

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

QString keyText(const QVariant &key)
{
    return key.toString();
}
} // namespace

RecordLabel LabelOfTest(const QStringList &htmlDoc, const Registration &record, const TestOrder &test,
                        const StationSettings &station)
{
    const TagHandler handler = [&](const QString &, const TagParams &params) {
        return PageProducer1HTMLTag(record, test.code, station.StationID, params);
    };
    return {QStringLiteral("%1, test %2").arg(record.accnStr(), test.code), test,
            RenderLabel(htmlDoc, handler, ValueBytesFor(station.LabelUTF8))};
}

QList<RecordLabel> RegistrationLabels(const QStringList &htmlDoc, const Registration &record,
                                      const StationSettings &station)
{
    QList<RecordLabel> labels;
    for (const TestOrder &test : record.tests())
        labels << LabelOfTest(htmlDoc, record, test, station);
    return labels;
}

Registration RegistrationToPrint(const PrinterDefinition &definition, RecordLifecycle &lifecycle, RecordStore &store,
                                 const std::function<void()> &beforeSave)
{
    if (!definition.fault.isEmpty()) {
        ShowError(definition.fault);
        return {};
    }
    if (definition.lines.isEmpty()) {
        ShowError(QStringLiteral("No print template available"));
        return {};
    }
    if (beforeSave)
        beforeSave();
    if (!lifecycle.TryPostBeforePrint())
        return {};
    Registration record = store.currentRegistration();
    if (record.isNull() || record.tests().isEmpty()) {
        ShowError(QStringLiteral("No tests to print"));
        return {};
    }
    return record;
}

PrintRunResult PrintRun::print(const PrinterDefinition &definition, const PrintRunWindow &window)
{
    return run(definition, window, true, [this](const Registration &record) {
        QList<TestOrder> toPrint;
        const QSet<QString> sentBefore = m_sentBefore.value(keyText(record.orderId()));
        for (const TestOrder &test : record.tests())
            if (!sentBefore.contains(keyText(test.testId)))
                toPrint << test;
        return toPrint.isEmpty() ? record.tests() : toPrint; // what was missing has gone meanwhile: a print of them all
    });
}

PrintRunResult PrintRun::reprint(const PrinterDefinition &definition, const PrintRunWindow &window,
                                 const QString &testCode, int copies)
{
    return run(definition, window, false, [&](const Registration &record) {
        QList<TestOrder> toPrint;
        for (const TestOrder &test : record.tests())
            if (test.code == testCode) {
                while (toPrint.size() < copies)
                    toPrint << test;
                break;
            }
        if (toPrint.isEmpty())
            ShowError(QStringLiteral("%1 has no test %2 any more").arg(record.accnStr(), testCode));
        return toPrint;
    });
}

// `remember`: a run that stops is remembered, so that the next print of the
// registration sends only its labels still missing (a reprint leaves that as it is).
PrintRunResult PrintRun::run(const PrinterDefinition &definition, const PrintRunWindow &window, bool remember,
                             const std::function<QList<TestOrder>(const Registration &)> &choose)
{
    PrintRunResult result;
    const auto say = [&](const QString &text) {
        if (window.showStatus)
            window.showStatus(text);
    };
    bool toolbarOff = false;
    Finally toolbarBack{[&] {
        if (toolbarOff)
            window.setToolbarEnabled(true);
    }};
    // From here on the run works from this value alone.
    const Registration record = RegistrationToPrint(definition, m_lifecycle, m_store, [&] {
        window.setToolbarEnabled(false);
        toolbarOff = true;
    });
    if (record.isNull())
        return result;
    result.accnStr = record.accnStr();
    const QString orderKey = keyText(record.orderId());
    const QList<TestOrder> toPrint = choose(record);
    if (toPrint.isEmpty())
        return result;
    QSet<QString> sent = remember ? m_sentBefore.take(orderKey) : QSet<QString>();

    const StationSettings &station = m_store.station().settings();
    RecordedPrinting recorded(m_store.database(), station.PrinterWait, station.VerifyLabels, std::exchange(m_incomplete, {}));
    QString printer, stoppedAt;
    QStringList unprinted;
    for (const TestOrder &test : toPrint) {
        if (!stoppedAt.isEmpty()) {
            unprinted << test.code;
            continue;
        }
        RecordLabel label;
        try {
            label = LabelOfTest(definition.lines, record, test, station);
        } catch (const ETabrixError &e) {
            stoppedAt = QStringLiteral("%1, test %2").arg(result.accnStr, test.code);
            unprinted << test.code;
            prompter().generalError(WithFullStop(e.message())); // a template that cannot be expanded
            continue;
        }
        say(QStringLiteral("Printing the label for %1").arg(label.name));
        const LabelJob job = recorded.print({record.orderId(), record.value(QStringLiteral("AccnNum")), result.accnStr,
                                             test.code, label.bytes, station.StationID},
                                            label.name);
        if (!job.printer.isEmpty())
            printer = job.printer;
        if (!job.sent()) {
            stoppedAt = label.name;
            unprinted << test.code;
            ShowPrintFailure(job);
            continue;
        }
        ++result.sent;
        sent.insert(keyText(test.testId));
    }
    for (const QString &incomplete : recorded.finish())
        ShowError(incomplete);
    m_incomplete = recorded.incomplete();

    result.unprinted = unprinted;
    if (remember && result.failed())
        m_sentBefore.insert(orderKey, sent);

    const QString done = QStringLiteral("%1 label%2 sent to %3 for %4")
                             .arg(result.sent)
                             .arg(result.sent == 1 ? QString() : QStringLiteral("s"),
                                  printer.isEmpty() ? QStringLiteral("the printer") : printer, result.accnStr);
    if (!result.failed())
        say(done);
    else
        say(QStringLiteral("Printing stopped at the label for %1; %2. Not printed: %3 (Print prints them).")
                .arg(stoppedAt, done, result.unprinted.join(QStringLiteral(", "))));
    return result;
}

} // namespace Tabrix
