#include "log/ui/TfrmPatientLog.h"
#include "base/ui/Pictures.h"
#include "base/Prompter.h"
#include "log/PatientLogModel.h"
#include "log/ui/PatientLogReport.h"
#include "register/Station.h"
#include "register/Cursor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace Tabrix {

const QStringList TfrmPatientLog::SortOfColumn[6] = {
    {"AccnStr"}, {"Last_Name", "First_Name", "Patient_id"}, {"First_Name", "Last_Name", "Patient_id"},
    {"Patient_id"}, {"Gender"}, {"Created"}};

TfrmPatientLog::TfrmPatientLog(const Station &station, QWidget *parent)
    : QDialog(parent), m_station(station)
{
    setObjectName(QStringLiteral("frmPatientLog"));
    setWindowTitle(QStringLiteral("Patient Log"));
    auto *bar = new QMenuBar(this);
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    PrintPreview1 = file->addAction(QStringLiteral("Print Pre&view"));
    PrintPreview1->setVisible(false);
    Print1 = file->addAction(QStringLiteral("&Print"));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("E&xit"));
    QMenu *sort = bar->addMenu(QStringLiteral("Sort"));
    Accn1 = sort->addAction(QStringLiteral("Accn"));
    LastNameFirstName1 = sort->addAction(QStringLiteral("Last Name, First Name"));
    PatientID1 = sort->addAction(QStringLiteral("Patient ID"));
    for (const auto &[action, name] : {std::pair{PrintPreview1, "PrintPreview1"}, {Print1, "Print1"}, {Exit1, "Exit1"},
                                       {Accn1, "Accn1"}, {LastNameFirstName1, "LastNameFirstName1"}, {PatientID1, "PatientID1"}})
        action->setObjectName(QString::fromLatin1(name));

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    DBGrid1->horizontalHeader()->setSortIndicatorShown(false);
    // Widths from the titles and the rows on screen: cheap however large the register.
    DBGrid1->horizontalHeader()->setResizeContentsPrecision(0);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setMinimumSize(640, 360);
    DBGrid1->installEventFilter(this); // typing finds a row by the register's index, not by reading every row

    btnPrint = new QPushButton(Pictures::toolIcon(Pictures::Tool::Print), QStringLiteral("Print"), this);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Done"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addWidget(DBGrid1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnOK);
    layout->addLayout(buttons);
    setTabOrder(DBGrid1, btnOK);
    setTabOrder(btnOK, btnPrint);

    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { RunGuarded([&] { DBGrid1TitleClick(column); }); });
    connect(Accn1, &QAction::triggered, this, [this] { RunGuarded([this] { DBGrid1TitleClick(0); }); });
    connect(LastNameFirstName1, &QAction::triggered, this, [this] { RunGuarded([this] { DBGrid1TitleClick(1); }); });
    connect(PatientID1, &QAction::triggered, this, [this] { RunGuarded([this] { DBGrid1TitleClick(3); }); });
    connect(btnOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOKClick(); }); });
    connect(DBGrid1, &QTableView::doubleClicked, this, &QDialog::accept);
    connect(Exit1, &QAction::triggered, this, &QDialog::accept);
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(false); });
    connect(Print1, &QAction::triggered, this, [this] { btnPrintClick(false); });
    connect(PrintPreview1, &QAction::triggered, this, [this] { btnPrintClick(true); });
}

void TfrmPatientLog::setDataSource(Cursor *patients)
{
    if (DataSource1 == patients)
        return;
    DataSource1 = patients;
    delete m_model;
    m_model = new PatientLogModel(*patients, this);
    DBGrid1->setModel(m_model);
    // The row chosen in the log is the main window's record.
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &row) {
        RunGuarded([&] {
            if (const QVariant key = m_model->keyAt(row.row()); !key.isNull())
                DataSource1->Locate(key);
        });
    });
}

bool TfrmPatientLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            RunGuarded([&] { typeAhead(text); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The keys typed within a second of each other make one text: the first row of
// the sorted column that starts with it becomes the current one.
void TfrmPatientLog::typeAhead(const QString &text)
{
    if (!m_lastKey.isValid() || m_lastKey.elapsed() > 1000)
        m_typed.clear();
    m_lastKey.restart();
    m_typed += text;
    const QVariant key = m_model->keyOfTyped(m_typed);
    if (key.isNull() || !DataSource1->Locate(key))
        return;
    showCurrentRecord();
}

void TfrmPatientLog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
}

void TfrmPatientLog::FormShow()
{
    m_model->reload();
    showCurrentRecord();
    fitToContents();
    btnPrint->setEnabled(!DataSource1->IsEmpty());
    Print1->setEnabled(btnPrint->isEnabled());
}

// Every column as wide as its title and the rows on screen, and the window wide
// enough for all of them (within the screen, keeping its centre), never narrower
// than the user made it.
void TfrmPatientLog::fitToContents()
{
    QHeaderView *header = DBGrid1->horizontalHeader();
    header->setStretchLastSection(false);
    header->resizeSections(QHeaderView::ResizeToContents);
    const int grid = 2 * DBGrid1->frameWidth() + DBGrid1->verticalHeader()->width() + header->length()
                     + DBGrid1->verticalScrollBar()->sizeHint().width();
    int wanted = width() - DBGrid1->width() + grid;
    QRect room = screen() ? screen()->availableGeometry() : QRect();
    if (room.isValid())
        wanted = std::min(wanted, room.width() - (frameGeometry().width() - width()));
    if (wanted > width()) {
        const int left = x() - (wanted - width()) / 2;
        resize(wanted, height());
        move(room.isValid() ? std::clamp(left, room.left(), room.right() + 1 - frameGeometry().width()) : left, y());
    }
    header->setStretchLastSection(true);
}

void TfrmPatientLog::showCurrentRecord()
{
    const int row = m_model->currentRow();
    if (row < 0)
        return;
    const QSignalBlocker quiet(DBGrid1->selectionModel()); // already the current record
    DBGrid1->setCurrentIndex(m_model->index(row, 0));
    DBGrid1->scrollTo(m_model->index(row, 0), QAbstractItemView::PositionAtCenter);
}

void TfrmPatientLog::applySort(const QStringList &fields)
{
    DataSource1->setSortFields(fields);
    m_model->reload();
    showCurrentRecord();
}

void TfrmPatientLog::DBGrid1TitleClick(int column)
{
    if (column >= 0 && column < 6)
        applySort(SortOfColumn[column]);
}

void TfrmPatientLog::btnOKClick()
{
    applySort({QStringLiteral("AccnNum")});
    accept();
}

void TfrmPatientLog::btnPrintClick(bool preview)
{
    PrintPatientLog(this, DataSource1->database(), DataSource1->sortFields(), m_station.settings().StationID, preview);
}

} // namespace Tabrix
