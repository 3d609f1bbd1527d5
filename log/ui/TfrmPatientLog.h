#pragma once
#include <QDialog>
#include <QElapsedTimer>

class QAction;
class QPushButton;
class QTableView;

namespace Tabrix {

class Station;

class Cursor;
class PatientLogModel;

// The patient log: every registration of the main window's own patient cursor,
// sortable by its column titles and the Sort menu. Choosing a row makes it the
// main window's record; the order chosen stays the main window's browsing order
// until Done restores accession order. Built once at start and reused.
class TfrmPatientLog : public QDialog {
    Q_OBJECT
public:
    // `station`: whose name the printed log carries.
    explicit TfrmPatientLog(const Station &station, QWidget *parent = nullptr);

    // DataSource1: the cursor the log shows (the main window's patients).
    void setDataSource(Cursor *patients);

    // The sort field list each column title applies.
    static const QStringList SortOfColumn[6];

    void DBGrid1TitleClick(int column);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void btnOKClick();
    void btnPrintClick(bool preview);
    void applySort(const QStringList &fields);
    void showCurrentRecord();
    void fitToContents();
    void typeAhead(const QString &text);

    const Station &m_station;
    QTableView *DBGrid1;
    QPushButton *btnPrint, *btnOK;
    QAction *PrintPreview1, *Print1, *Exit1, *Accn1, *LastNameFirstName1, *PatientID1;
    Cursor *DataSource1 = nullptr;
    PatientLogModel *m_model = nullptr;
    QString m_typed;          // what was typed into the grid, while the keys come quickly
    QElapsedTimer m_lastKey;
};

} // namespace Tabrix
