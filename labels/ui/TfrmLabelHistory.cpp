#include "labels/ui/TfrmLabelHistory.h"
#include "base/Prompter.h"
#include "base/ui/RecordGrid.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"
#include "register/RecordStore.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Tabrix {

TfrmLabelHistory::TfrmLabelHistory(const QSqlDatabase &db, const QVariant &orderId, const QString &accession,
                                   ReprintLabel reprint, QWidget *parent)
    : QDialog(parent), m_orderId(orderId), m_accession(accession), m_reprintLabel(std::move(reprint))
{
    setObjectName(QStringLiteral("frmLabelHistory"));
    setWindowTitle(QStringLiteral("Label History"));
    m_model = new LabelHistoryModel(db, this);
    m_caption = new QLabel(this);
    m_wholeRegister = new QCheckBox(QStringLiteral("&Whole register"), this);
    m_wholeRegister->setObjectName(QStringLiteral("cbWholeRegister"));
    m_wholeRegister->setChecked(orderId.isNull());
    m_wholeRegister->setEnabled(!orderId.isNull());
    m_labels = NewRecordGrid(this, QStringLiteral("grdLabels"), m_model);
    auto *legend = new QLabel(QStringLiteral("Reprints are shaded; labels that did not print are in red."), this);
    m_reprint = new QPushButton(QStringLiteral("&Reprint"), this);
    m_reprint->setObjectName(QStringLiteral("btnReprint"));
    m_reprint->setEnabled(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("btnClose"));
    m_close->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(m_caption, 1);
    top->addWidget(m_wholeRegister);
    layout->addLayout(top);
    layout->addWidget(m_labels, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(legend, 1);
    bottom->addWidget(m_reprint);
    bottom->addWidget(m_close);
    layout->addLayout(bottom);
    setTabOrder(m_wholeRegister, m_labels);
    setTabOrder(m_labels, m_reprint);
    setTabOrder(m_reprint, m_close);

    connect(m_wholeRegister, &QCheckBox::toggled, this, [this] { RunGuarded([this] { showScope(); }); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_reprint, &QPushButton::clicked, this, [this] { RunGuarded([this] { reprintClick(); }); });
    connect(m_labels->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &row) { m_reprint->setEnabled(m_model->labelAt(row.row()).reprintable()); });
    showScope();
}

// Only a label that was sent, of a registration, can be printed again.
void TfrmLabelHistory::reprintClick()
{
    const LedgerLabel label = m_model->labelAt(m_labels->currentIndex().row());
    if (!label.reprintable())
        return;
    if (const auto copies = AskReprintCopies(this, QStringLiteral("%1, test %2").arg(label.accnStr, label.testCode))) {
        m_reprintLabel(label, *copies);
        showScope(); // with the new rows
    }
}

std::optional<int> AskReprintCopies(QWidget *parent, const QString &label)
{
    QInputDialog ask(parent);
    ask.setObjectName(QStringLiteral("ReprintCopies"));
    ask.setWindowTitle(QStringLiteral("Reprint"));
    ask.setLabelText(QStringLiteral("Labels to print again for %1:").arg(label));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setIntRange(1, 10);
    ask.setIntValue(1);
    if (ask.exec() != QDialog::Accepted)
        return std::nullopt;
    return ask.intValue();
}

void TfrmLabelHistory::showScope()
{
    const bool whole = m_wholeRegister->isChecked();
    m_model->showLabelsOf(whole ? QVariant() : m_orderId);
    const int n = m_model->rowCount();
    m_caption->setText(whole ? QStringLiteral("Every label of the register, newest first: %1").arg(n)
                             : QStringLiteral("Labels of %1, newest first: %2").arg(m_accession).arg(n));
    m_labels->resizeColumnsToContents();
    m_reprint->setEnabled(m_model->labelAt(m_labels->currentIndex().row()).reprintable());
}

void LabelHistory1Click(QWidget *parent, RecordStore &store, const ReprintLabel &reprint)
{
    const QSqlDatabase db = store.database();
    if (!LabelLedger(db).present()) {
        ShowError(LabelLedger::missingText());
        return;
    }
    const Registration record = store.currentRegistration();
    TfrmLabelHistory history(db, record.isNull() ? QVariant() : record.orderId(), record.isNull() ? QString() : record.accnStr(),
                             reprint, parent);
    history.exec();
}

} // namespace Tabrix
