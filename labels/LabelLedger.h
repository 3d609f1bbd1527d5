#pragma once
#include "labels/Labels.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>

namespace Tabrix {

// A label about to be sent, as its ledger row names it.
struct LedgerEntry {
    QVariant orderId, accnNum; // none for the editor's test label
    QString accnStr, testCode;
    QByteArray bytes;
    QString station; // the station that prints it
};

// The register's print ledger (table label_log): a row for every label job,
// committed before the label's bytes go to the spooler and completed with what
// became of them, so that no label leaves without its row. A register made
// before the ledger has none, and prints without it.
class LabelLedger {
public:
    // What a row says until its label's job is known.
    static inline const QString Sending = QStringLiteral("sending, not confirmed");
    // What a row left at Sending by a program that ended during its print says.
    static inline const QString EndedDuringPrint = QStringLiteral("not confirmed: the program ended during the print");

    explicit LabelLedger(const QSqlDatabase &db);
    bool present() const { return m_present; }
    // What the user is told where the ledger is needed and the register has none.
    static QString missingText();
    // The new row's key, once it is committed; raises EDatabaseError when it cannot be written.
    qint64 open(const LedgerEntry &entry);
    // Raises EDatabaseError when the row cannot be completed.
    void close(qint64 row, const LabelJob &job);
    // Closes the rows this station left at Sending up to `before` (a program
    // that ended during a print) as EndedDuringPrint; how many there were.
    int closeUnfinished(const QString &station, const QDateTime &before);

private:
    QSqlDatabase m_db;
    bool m_present = false;
};

// Prints labels with their ledger rows, one after another: each row is committed
// before the label's bytes go, so a label that cannot be recorded is not sent. A
// row that cannot be completed after its job is tried again before the next
// label and at the end (and, handed on, before the labels of a later run). A
// ledger that is not there is passed by.
class RecordedPrinting {
public:
    // A row whose completion could not be written yet.
    struct IncompleteRow {
        qint64 row;
        LabelJob job;
        QString label;
        QString why;
        bool said = false; // the user was told already
    };

    // Each job waits `printerWait` milliseconds at the spooler (PrintLabel);
    // with `verify` each label's barcodes are read back before it goes (the
    // station's VerifyLabels); `incomplete`: rows an earlier run could not
    // complete, tried again first.
    RecordedPrinting(const QSqlDatabase &db, int printerWait, bool verify, QList<IncompleteRow> incomplete = {})
        : m_ledger(db), m_printerWait(printerWait), m_verify(verify), m_pending(std::move(incomplete)) {}

    // Prints one label (PrintLabel) with its row; `label` names it ("X12345, test
    // CBC"). When the row cannot be written, or a barcode of the label does not
    // read, the label is not offered to a printer and the job's outcome says so;
    // a label in a printer language that cannot be read back goes, and its row
    // says it was sent unverified.
    LabelJob print(const LedgerEntry &entry, const QString &label);
    // Tries the rows that could not be completed once more; what is newly
    // incomplete is returned, one sentence for each label.
    QStringList finish();
    // The rows still incomplete after finish(), for a later run to try again.
    const QList<IncompleteRow> &incomplete() const { return m_pending; }

private:
    void retryPending();
    LabelJob send(const LedgerEntry &entry, const QString &label);
    LabelJob printRecorded(const LedgerEntry &entry, const QString &label);

    LabelLedger m_ledger;
    int m_printerWait;
    bool m_verify;
    QList<IncompleteRow> m_pending;
};

} // namespace Tabrix
