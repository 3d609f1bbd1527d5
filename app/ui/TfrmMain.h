#pragma once
#include "labels/PrintRun.h"
#include "lis/LisSettings.h"
#include "register/RecordLifecycle.h"
#include "register/RecordStore.h"
#include "base/TabrixDefs.h"

#include <QMainWindow>
#include <QTimer>

class QAction;
class QLabel;
class QToolBar;

namespace Tabrix {

class EntryPanel;
class PatientEntry;
class TfrmPatientLog;
class TestCodes;
class TypeAhead;

// The main window: patient entry with its menus, toolbar, entry panel and status
// bar. It owns the register for the whole run.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr auto Caption = "Vantrel Tabrix";

    explicit TfrmMain(Station &station);
    ~TfrmMain() override;

    Station &station() const { return m_station; }
    RecordStore &store() { return m_store; }
    RecordLifecycle &lifecycle() { return m_lifecycle; }
    EntryPanel &entryPanel() const { return *m_panel; }

    // Prints one label per test of the current record; false when one was not printed.
    bool tbPrintClick();
    // Reads the printer definition anew.
    void LoadTemplate();
    const QStringList &HTMLDoc() const { return m_printerDefinition.lines; }
    // The other copy asked to be shown: restore when minimised, else bring to the front.
    void bringToFront();
    // The folder the export's file dialog starts in.
    QString exportDir() const { return m_exportDir; }
    // The page a click on the banner opens.
    QString helpURL() const { return m_helpURL; }
    // The patient log, built once at start-up.
    void setPatientLog(TfrmPatientLog *log) { m_patientLog = log; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildToolbarAndMenus();
    void FormCreate();
    void FormShow();
    void FormClose();
    void keepOnAScreen();
    void closeUnfinishedLabels();
    void refreshLisStatus();
    void reprintLabel(const QVariant &orderId, const QString &testCode, int copies);
    PrintRunResult printing(const std::function<PrintRunResult(const PrintRunWindow &)> &run);
    void testGridMenu(const QPoint &at);
    void exported(const QString &file);
    void PrinterTemplate1Click();
    void AccnList1Click();
    void Preferences1Click();
    void tblPatientsStateChange();
    void attachRecordCommands();

    Station &m_station;
    RecordStore m_store{m_station};
    RecordLifecycle m_lifecycle{m_store};
    EntryPanel *m_panel = nullptr;
    TestCodes *m_testCodes = nullptr;
    PatientEntry *m_entry = nullptr;
    TypeAhead *m_typeAhead = nullptr;
    PrinterDefinition m_printerDefinition; // the lines as loaded, comments removed
    PrintRun m_printRun{m_lifecycle, m_store};
    QString m_exportDir;
    QString m_helpURL = TabrixDefs::DefaultHelpURL; // the banner's page
    TfrmPatientLog *m_patientLog = nullptr;
    bool m_shown = false;

    QToolBar *ToolBar1 = nullptr;
    QAction *tbNew, *tbCancel, *tbSave, *tbPrint, *tbPrev, *tbNext;
    QAction *PrinterSetup2, *Export1, *ExportLabelHistory1, *SendToLis1, *ExportForLis1, *ExportAuditTrail1, *Exit1;
    QAction *Preferences1, *PrinterTemplate1, *EmptyDatabase1;
    QAction *New1, *Cancel1, *Save1, *Print1, *Delete1, *Previous1, *Next1, *PreviewLabels1, *LabelHistory1, *Find1, *RecordHistory1;
    QAction *AccnList1, *Help1, *Helpontheweb1, *About2;
    QLabel *StatusText = nullptr;
    QLabel *LisStatus = nullptr; // how many registrations the LIS has not accepted
    QTimer m_lisRefresh;
    LisSettings m_lisSettings; // read at start and after each Send to LIS, not at every save
};

} // namespace Tabrix
