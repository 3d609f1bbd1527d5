#include "register/ui/TfrmFind.h"
#include "base/Prompter.h"
#include "register/RecordLifecycle.h"
#include "register/RecordStore.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Tabrix {

TfrmFind::TfrmFind(RecordLifecycle &lifecycle, RecordStore &store, QWidget *parent)
    : QDialog(parent), m_lifecycle(lifecycle), m_store(store), m_finder(store.database())
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    auto *layout = new QFormLayout(this);
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setPlaceholderText(QStringLiteral("X12345, a patient ID or DOE, J"));
    FindText->setMinimumWidth(260);
    layout->addRow(QStringLiteral("Find:"), FindText);
    FindStatus = new QLabel(this);
    FindStatus->setObjectName(QStringLiteral("FindStatus"));
    FindStatus->setWordWrap(true);
    layout->addRow(FindStatus);
    auto *buttons = new QDialogButtonBox(this);
    FindNext = buttons->addButton(QStringLiteral("Find Next"), QDialogButtonBox::AcceptRole);
    FindNext->setObjectName(QStringLiteral("FindNext"));
    FindNext->setDefault(true); // Return finds the next match
    buttons->addButton(QDialogButtonBox::Close);
    layout->addRow(buttons);
    connect(FindNext, &QPushButton::clicked, this, [this] { RunGuarded([this] { findNext(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfrmFind::findNext()
{
    // The record on screen is saved first, as before any move to another record.
    if (!m_lifecycle.TryPost())
        return;
    const QString text = FindText->text().trimmed();
    if (text.isEmpty())
        return;
    const auto key = m_finder.next(text);
    if (!key) {
        FindStatus->setText(QStringLiteral("No registration matches \"%1\"; Find Next starts again from the first.").arg(text));
        return;
    }
    Cursor &patients = m_store.tblPatients;
    if (!patients.Locate(*key)) {
        FindStatus->setText(QStringLiteral("The registration found was deleted meanwhile by another station."));
        return;
    }
    FindStatus->setText(QStringLiteral("%1: %2, %3, Patient ID %4")
                            .arg(patients.asString(QStringLiteral("AccnStr")), patients.asString(QStringLiteral("Last_Name")),
                                 patients.asString(QStringLiteral("First_Name")),
                                 patients.asString(QStringLiteral("Patient_id"))));
}

} // namespace Tabrix
