#pragma once
#include "register/PagedRows.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <functional>

namespace Tabrix {

// The print ledger's rows as the label history shows them, newest first: those of
// one registration, or of the whole register, read a page at a time as rows come
// into view. Reprints and labels that did not print stand out by their colours.
// A label of the ledger, as a reprint of it needs it.
struct LedgerLabel {
    QVariant orderId; // none for a test label
    QString accnStr, testCode;
    bool sent = false;
    bool reprintable() const { return sent && !orderId.isNull(); }
};

class LabelHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LabelHistoryModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // The labels of the registration `orderId`, or of the whole register when it is
    // null; raises EDatabaseError when the ledger cannot be read.
    void showLabelsOf(const QVariant &orderId);

    // The label of a row (an empty one for a row that is not there).
    LedgerLabel labelAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QSqlRecord *record(int row) const;
    PagedRows m_rows;
};

// Writes the whole print ledger, oldest first, to `file` as comma-separated values
// (RFC 4180: a header row, fields quoted where they hold a comma, quote or line
// break, CR LF line ends) in UTF-8, replacing the file only once it is whole.
// `keepGoing` is called between rows with the rows written and the rows in all and
// returns false to cancel, which leaves any earlier file of that name as it was.
// Raises EDatabaseError or ETabrixError with the reason when it cannot be written;
// returns false when cancelled.
bool ExportLabelHistory(const QSqlDatabase &db, const QString &file,
                        const std::function<bool(qint64 written, qint64 total)> &keepGoing);

} // namespace Tabrix
