#include "register/ui/EntryPanel.h"
#include "base/ui/Pictures.h"
#include "base/ui/UpperCaseValidator.h"
#include "register/Cursor.h"
#include "register/TestListModel.h"
#include "register/ui/FieldBinding.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Tabrix {

namespace {

// The patient's entry fields in their ring (and tab) order.
struct EntryField {
    const char *name;
    const char *label;
    const char *column;
    int maxLength; // 0: none of its own
    bool upper;
    EntryPanel::Kind kind;
};

using K = EntryPanel::Kind;
constexpr EntryField entryFields[] = {
    {"dbeLast", "Last Name: ", "Last_Name", 20, true, K::Text},
    {"dbeFirst", "First Name:", "First_Name", 20, true, K::Text},
    {"dbcGender", "Gender:", "Gender", 0, false, K::Gender},
    {"DBEPatient_id", "ID:", "Patient_id", 20, true, K::Text},
    {"dbeDOB", "DOB:", "DOB", 10, true, K::Date},
    {"dbeLocation", "Location:", "Location", 20, true, K::Text},
    {"DBECollectionDate", "Collection Date", "Collection_date", 0, false, K::Date},
    {"DBECollectionTime", "Collection Time:", "Collection_Time", 0, false, K::Time},
    {"DBERecieveDate", "Receive Date:", "Recieve_date", 0, false, K::Date},
    {"DBERecieveTime", "Receive Time:", "Recieve_Time", 0, false, K::Time},
};

} // namespace

EntryPanel::EntryPanel(Cursor &patients, Cursor &tests, QWidget *parent)
    : QWidget(parent), m_patients(patients), m_tests(tests)
{
    setObjectName(QStringLiteral("pnlEntry"));
    setAutoFillBackground(true);
    QPalette olive = palette();
    olive.setColor(QPalette::Window, QColor(128, 128, 0));
    setPalette(olive);
    auto *row = new QHBoxLayout(this);

    // Left: the patient's fields under the accession number.
    auto *patient = new QGroupBox(QStringLiteral("Patient Information"), this);
    patient->setObjectName(QStringLiteral("gbPatient"));
    patient->setAutoFillBackground(true);
    auto *grid = new QGridLayout(patient);
    grid->addWidget(new QLabel(QStringLiteral("Accn Number:"), patient), 0, 0);
    auto *accnStr = new QLabel(patient);
    accnStr->setObjectName(QStringLiteral("lblAccnStr"));
    QFont bold = accnStr->font();
    bold.setBold(true);
    accnStr->setFont(bold);
    grid->addWidget(accnStr, 0, 1);

    auto *upper = new UpperCaseValidator(this);
    int line = 1;
    for (const EntryField &f : entryFields) {
        QWidget *control;
        if (f.kind == K::Gender) {
            m_gender = new QComboBox(patient);
            m_gender->addItems({QStringLiteral("M"), QStringLiteral("F")});
            m_bindings << new FieldBinding(m_gender, patients, QString::fromLatin1(f.column));
            control = m_gender;
        } else {
            auto *edit = new QLineEdit(patient);
            if (f.maxLength)
                edit->setMaxLength(f.maxLength);
            if (f.upper)
                edit->setValidator(upper);
            m_bindings << new FieldBinding(edit, patients, QString::fromLatin1(f.column));
            control = edit;
        }
        control->setObjectName(QString::fromLatin1(f.name));
        auto *label = new QLabel(QString::fromLatin1(f.label), patient);
        label->setBuddy(control);
        grid->addWidget(label, line, 0);
        grid->addWidget(control, line, 1);
        m_ring << control;
        m_kinds << f.kind;
        ++line;
    }
    row->addWidget(patient);

    // Right: the test codes of the record and the banner.
    auto *testsBox = new QGroupBox(QStringLiteral("Tests"), this);
    testsBox->setObjectName(QStringLiteral("gbTests"));
    testsBox->setAutoFillBackground(true);
    auto *testsLayout = new QVBoxLayout(testsBox);
    auto *codeRow = new QHBoxLayout;
    codeRow->addWidget(new QLabel(QStringLiteral("Tests:"), testsBox));
    m_testCode = new QLineEdit(testsBox);
    m_testCode->setObjectName(QStringLiteral("eTestCode"));
    m_testCode->setMaxLength(40);
    m_testCode->setValidator(upper);
    codeRow->addWidget(m_testCode, 1);
    testsLayout->addLayout(codeRow);
    m_ring << m_testCode;
    m_kinds << K::TestCode;

    m_grid = new QTableView(testsBox);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_testList = new TestListModel(tests, this);
    m_grid->setModel(m_testList);
    m_grid->horizontalHeader()->hide(); // no title row
    m_grid->verticalHeader()->hide();   // no row indicator
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setFocusPolicy(Qt::ClickFocus);
    m_grid->setMinimumHeight(140);
    testsLayout->addWidget(m_grid, 1);

    m_banner = new QLabel(testsBox);
    m_banner->setObjectName(QStringLiteral("iBanner"));
    m_banner->setPixmap(Pictures::banner());
    m_banner->setScaledContents(true);
    m_banner->setFixedSize(240, 60);
    m_banner->setCursor(Qt::PointingHandCursor);
    testsLayout->addWidget(m_banner, 0, Qt::AlignHCenter);
    row->addWidget(testsBox);

    // The default button behind the panel: it takes Enter wherever the focus is.
    m_default = new QPushButton(this);
    m_default->setObjectName(QStringLiteral("Button1"));
    m_default->setFixedSize(0, 0);
    m_default->setFlat(true);
    m_default->setFocusPolicy(Qt::NoFocus); // never seen, so it takes no focus: Tab goes on to the last name

    // The tab order is the ring's.
    for (qsizetype i = 1; i < m_ring.size(); ++i)
        QWidget::setTabOrder(m_ring[i - 1], m_ring[i]);

    connect(&patients, &Cursor::dataChanged, this, [this, accnStr] {
        accnStr->setText(m_patients.active() ? m_patients.asString(QStringLiteral("AccnStr")) : QString());
    });
}

EntryPanel::Kind EntryPanel::kindOf(const QWidget *box) const
{
    const int i = ringIndex(box);
    return i < 0 ? Kind::Text : m_kinds[i];
}

bool EntryPanel::isPatientBox(const QWidget *w) const
{
    const int i = ringIndex(w);
    return i >= 0 && m_kinds[i] != Kind::TestCode;
}

QWidget *EntryPanel::boxForColumn(const QString &column) const
{
    for (FieldBinding *b : m_bindings)
        if (b->column().compare(column, Qt::CaseInsensitive) == 0)
            return b->control();
    return nullptr;
}

FieldBinding *EntryPanel::bindingFor(const QWidget *box) const
{
    for (FieldBinding *b : m_bindings)
        if (b->control() == box)
            return b;
    return nullptr;
}

} // namespace Tabrix
