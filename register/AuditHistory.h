#pragma once
#include "register/PagedRows.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <functional>

namespace Tabrix {

// The audit trail's rows as Record History shows them, newest first: those of one
// registration, or of the whole register, read a page at a time.
class AuditHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AuditHistoryModel(const QSqlDatabase &db, QObject *parent = nullptr);

    // The rows of the registration `orderId`, or of the whole register when it is
    // null; raises EDatabaseError when the trail cannot be read.
    void showRowsOf(const QVariant &orderId);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    PagedRows m_rows;
};

// Writes the whole audit trail, oldest first, to `file` as comma-separated values,
// as the label history's export does (every column, Digest and Previous included,
// so that the file can be checked outside the program). Returns false when
// `keepGoing` cancelled; raises ETabrixError.
bool ExportAuditTrail(const QSqlDatabase &db, const QString &file,
                      const std::function<bool(qint64 written, qint64 total)> &keepGoing);

} // namespace Tabrix
