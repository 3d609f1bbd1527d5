#pragma once
#include "labels/Labels.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QVariant>

namespace Tabrix {

// A label about to be sent, as its ledger row names it.
struct LedgerEntry {
    QVariant orderId, accnNum; // none for the editor's test label
    QString accnStr, testCode;
    QByteArray bytes;
};

// The register's print ledger (table label_log): a row for every label job,
// opened before the label's bytes go to the spooler and completed with what
// became of them, so that no label leaves without its row. A register made
// before the ledger has none, and prints without it.
class LabelLedger {
public:
    explicit LabelLedger(const QSqlDatabase &db);
    bool present() const { return m_present; }
    // What the user is told where the ledger is needed and the register has none.
    static QString missingText();
    // The new row's key; raises EDatabaseError when it cannot be written.
    qint64 open(const LedgerEntry &entry);
    // Raises EDatabaseError when the row cannot be completed.
    void close(qint64 row, const LabelJob &job);

private:
    QSqlDatabase m_db;
    bool m_present = false;
};

// Prints one label as PrintLabel does, with its ledger row opened before the bytes
// go and completed with what became of them; a ledger that is not there is passed
// by. Shows every error, naming `label`. `job` gets what became of the label: its
// outcome stays empty when the ledger refused the row and nothing was sent. True
// while the run may go on: the label was sent and recorded. No printer at all
// raises to the caller, its row completed.
bool PrintRecorded(LabelLedger &ledger, const LedgerEntry &entry, const QString &label, LabelJob &job);

} // namespace Tabrix
