#pragma once
#include <QDialog>
#include <QSqlDatabase>
#include <QVariant>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace Tabrix {

class LabelHistoryModel;
class RecordStore;

// The print ledger's labels of one registration, or with one switch of the whole
// register, newest first; reprints and labels that did not print stand out.
class TfrmLabelHistory : public QDialog {
    Q_OBJECT
public:
    // `orderId` and `accession` name the registration; a null `orderId` (a record
    // not saved yet) starts on the whole register.
    TfrmLabelHistory(const QSqlDatabase &db, const QVariant &orderId, const QString &accession, QWidget *parent = nullptr);

private:
    void showScope();

    QVariant m_orderId;
    QString m_accession;
    LabelHistoryModel *m_model;
    QLabel *m_caption;
    QCheckBox *m_wholeRegister;
    QTableView *m_labels;
    QPushButton *m_close;
};

// Record > Label History: the window for the current record; a register without a
// print ledger is said so.
void LabelHistory1Click(QWidget *parent, RecordStore &store);

} // namespace Tabrix
