#pragma once
#include "register/RecordLifecycle.h"
#include "register/RecordStore.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolBar;

namespace Tabrix {

class FieldBinding;
class PatientEntry;
class TfrmPatientLog;
class TestCodes;
class TestListModel;

// The main window: patient entry with its menus, toolbar, entry panel and status
// bar. It owns the register for the whole run.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr auto Caption = "Vantrel Tabrix";

    TfrmMain();
    ~TfrmMain() override;

    RecordStore &store() { return m_store; }
    RecordLifecycle &lifecycle() { return m_lifecycle; }
    TestListModel *testList() const { return m_testList; }
    // The entry box with this tag, the box bound to this column, the binding of a box.
    QWidget *controlForTag(int tag) const;
    QWidget *controlForColumn(const QString &column) const;
    FieldBinding *bindingFor(QWidget *control) const;

    // Prints one label per test of the current record.
    void tbPrintClick();
    // Reads the printer definition anew.
    void LoadTemplate();
    const QStringList &HTMLDoc() const { return m_htmlDoc; }
    // The other copy asked to be shown: restore when minimised, else bring to the front.
    void bringToFront();

    // Toolbar buttons and the menu items, by their names.
    QToolBar *ToolBar1;
    QAction *tbNew, *tbCancel, *tbSave, *tbPrint, *tbPrev, *tbNext;
    QAction *PrinterSetup2, *Export1, *Exit1;
    QAction *Preferences1, *PrinterTemplate1, *EmptyDatabase1;
    QAction *New1, *Cancel1, *Save1, *Print1, *Delete1, *Previous1, *Next1;
    QAction *AccnList1, *Help1, *Helpontheweb1, *About2;

    // The entry panel.
    QLabel *lblAccnStr;
    QLineEdit *dbeLast, *dbeFirst;
    QComboBox *dbcGender;
    QLineEdit *DBEPatient_id, *dbeDOB, *dbeLocation;
    QLineEdit *DBECollectionDate, *DBECollectionTime, *DBERecieveDate, *DBERecieveTime;
    QLineEdit *eTestCode;
    QTableView *DBGrid1;
    QLabel *iBanner;
    QLabel *StatusText;
    QPushButton *Button1;

    QString exportDir() const { return m_exportDir; }
    // The patient log, built once at start-up.
    void setPatientLog(TfrmPatientLog *log) { m_patientLog = log; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbarAndMenus();
    QWidget *buildEntryPanel();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy();
    void iBannerClick();
    void About2Click();
    void PrinterTemplate1Click();
    void AccnList1Click();
    void Preferences1Click();
    void tblPatientsStateChange();
    void attachRecordCommands();

    RecordStore m_store;
    RecordLifecycle m_lifecycle{m_store};
    TestCodes *m_testCodes = nullptr;
    PatientEntry *m_entry = nullptr;
    QStringList m_htmlDoc; // the printer definition's lines as loaded, comments removed
    TestListModel *m_testList = nullptr;
    QList<FieldBinding *> m_bindings;
    QString m_exportDir;
    TfrmPatientLog *m_patientLog = nullptr;
    bool m_shown = false;
};

} // namespace Tabrix
