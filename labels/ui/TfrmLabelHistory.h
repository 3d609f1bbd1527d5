#pragma once
#include <QDialog>
#include <QSqlDatabase>
#include <QVariant>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace Tabrix {

class LabelHistoryModel;
class RecordStore;
struct LedgerLabel;

// Prints a label of the ledger again, `copies` times: the main window's reprint.
using ReprintLabel = std::function<void(const LedgerLabel &label, int copies)>;

// The print ledger's labels of one registration, or with one switch of the whole
// register, newest first; reprints and labels that did not print stand out.
class TfrmLabelHistory : public QDialog {
    Q_OBJECT
public:
    // `orderId` and `accession` name the registration; a null `orderId` (a record
    // not saved yet) starts on the whole register.
    TfrmLabelHistory(const QSqlDatabase &db, const QVariant &orderId, const QString &accession, ReprintLabel reprint,
                     QWidget *parent = nullptr);

private:
    void showScope();
    void reprintClick();

    QVariant m_orderId;
    QString m_accession;
    LabelHistoryModel *m_model;
    QLabel *m_caption;
    QCheckBox *m_wholeRegister;
    QTableView *m_labels;
    QPushButton *m_reprint, *m_close;
    ReprintLabel m_reprintLabel;
};

// How many labels a reprint prints (1 to 10, 1 offered): none when the user cancels.
std::optional<int> AskReprintCopies(QWidget *parent, const QString &label);

// Record > Label History: the window for the current record; a register without a
// print ledger is said so. A sent label's row can be printed again (`reprint`).
void LabelHistory1Click(QWidget *parent, RecordStore &store, const ReprintLabel &reprint);

} // namespace Tabrix
