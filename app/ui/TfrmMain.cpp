#include "app/ui/TfrmMain.h"
#include "base/Clock.h"
#include "base/Settings.h"
#include "base/ui/Pictures.h"
#include "base/Prompter.h"
#include "app/ui/ShellOpen.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmAbout.h"
#include "app/ui/TfrmHelp.h"
#include "app/ui/TfrmOptions.h"
#include "editor/ui/TfrmCodeEditor.h"
#include "labels/LabelHistory.h"
#include "labels/LabelLedger.h"
#include "labels/PrintRun.h"
#include "lis/LisStates.h"
#include "register/ui/TfrmFind.h"
#include "register/ui/TfrmRecordHistory.h"
#include "lis/ui/TfrmSendToLis.h"
#include "log/ui/ExportCommand.h"
#include "log/ui/TfrmPatientLog.h"
#include "labels/ui/PrinterSetup.h"
#include "labels/ui/ExportLabelHistoryCommand.h"
#include "labels/ui/TfrmLabelHistory.h"
#include "labels/ui/TfrmLabelPreview.h"
#include "labels/Template.h"
#include "register/ui/EntryPanel.h"
#include "register/ui/PatientEntry.h"
#include "register/ui/TestCodes.h"
#include "register/ui/TypeAhead.h"
#include "register/TestListModel.h"

#include <QAction>
#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QDir>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace Tabrix {

namespace {

// Toolbar hints are kept with the buttons but never shown as tooltips.
class NoToolTips : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *e) override { return e->type() == QEvent::ToolTip; }
};

} // namespace

TfrmMain::TfrmMain(Station &station)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                               | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_station(station)
{
    setObjectName(QStringLiteral("frmMain"));
    buildToolbarAndMenus();

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *header = new QLabel(central);
    header->setObjectName(QStringLiteral("imgHeader"));
    header->setPixmap(Pictures::header());
    header->setScaledContents(true);
    header->setFixedHeight(40);
    header->setAutoFillBackground(true);
    QPalette black = header->palette();
    black.setColor(QPalette::Window, Qt::black);
    header->setPalette(black);
    layout->addWidget(header);
    m_panel = new EntryPanel(m_store.tblPatients, m_store.tblTests, central);
    m_panel->banner()->installEventFilter(this);
    layout->addWidget(m_panel, 1);
    setCentralWidget(central);

    StatusText = new QLabel(this);
    StatusText->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusText, 1);
    // The station's name stands in the status bar whenever the settings change.
    connect(&m_station, &Station::changed, this, [this] { StatusText->setText(m_station.settings().StationID); });
    LisStatus = new QLabel(this);
    LisStatus->setObjectName(QStringLiteral("LisStatus"));
    LisStatus->hide();
    statusBar()->addPermanentWidget(LisStatus);
    m_lisRefresh.setSingleShot(true);
    m_lisRefresh.setInterval(1000);
    connect(&m_lisRefresh, &QTimer::timeout, this, &TfrmMain::refreshLisStatus);
    // A saved or deleted registration or test may change it: read a moment after the last.
    for (Cursor *c : {&m_store.tblPatients, &m_store.tblTests})
        connect(c, &Cursor::stateChange, this, [this](Cursor::Event e) {
            if (e == Cursor::Event::Post || e == Cursor::Event::Delete)
                m_lisRefresh.start();
        });
    statusBar()->setSizeGripEnabled(false);
    QMainWindow::layout()->setSizeConstraint(QLayout::SetFixedSize); // sized to its contents

    attachRecordCommands();
    FormCreate();
}

void TfrmMain::attachRecordCommands()
{
    m_typeAhead = new TypeAhead(this, [this](const QString &text, bool after) {
        const QString now = statusBar()->currentMessage();
        statusBar()->showMessage(after && !now.isEmpty() ? now + QStringLiteral("  ") + text : text, 30000);
    });
    m_testCodes = new TestCodes(*m_panel, m_lifecycle, *m_typeAhead, [this] { return tbPrintClick(); });
    m_entry = new PatientEntry(*m_panel, m_lifecycle, *m_testCodes, m_station);
    m_lifecycle.CheckFields = [this] { return m_entry->CheckFields(); };
    m_lifecycle.FocusLastName = [this] { m_panel->lastName()->setFocus(Qt::OtherFocusReason); };
    m_lifecycle.FocusColumn = [this](const QString &column) { m_entry->focusColumn(column); };
    m_lifecycle.LabelledChange = [this](const QString &accnStr, const QString &changes) {
        if (prompter().ask(QuestionKind::Information,
                           QStringLiteral("The labels of %1 were printed before this change: %2. Print its labels again?")
                               .arg(accnStr, changes)))
            tbPrintClick();
    };
    // Over the station's name for a while, then the name again.
    m_lifecycle.ShowStatus = [this](const QString &text) { statusBar()->showMessage(text, 30000); };

    const auto attach = [this](std::initializer_list<QAction *> actions, auto handler) {
        for (QAction *a : actions)
            connect(a, &QAction::triggered, this, [handler] { RunGuarded(handler); });
    };
    attach({tbNew, New1}, [this] { m_lifecycle.tbNewClick(); });
    attach({tbCancel, Cancel1}, [this] { m_lifecycle.tbCancelClick(); });
    attach({tbSave, Save1}, [this] { m_lifecycle.tbSaveClick(); });
    attach({tbPrint, Print1}, [this] { tbPrintClick(); });
    attach({PreviewLabels1}, [this] {
        if (m_testCodes->takeTypedCode() && PreviewLabels1Click(this, m_printerDefinition, m_lifecycle, m_store))
            tbPrintClick();
    });
    attach({tbPrev, Previous1}, [this] { m_lifecycle.tbPrevClick(); });
    attach({tbNext, Next1}, [this] { m_lifecycle.tbNextClick(); });
    attach({Delete1}, [this] { m_lifecycle.Delete1Click(); });
    attach({Find1}, [this] { TfrmFind(m_lifecycle, m_store, this).exec(); });
    attach({EmptyDatabase1}, [this] {
        m_lifecycle.EmptyDatabase1Click();
        m_lisRefresh.start();
    });
    connect(&m_store.tblPatients, &Cursor::stateChange, this, &TfrmMain::tblPatientsStateChange);
    m_panel->testGrid()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_panel->testGrid(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { RunGuarded([&] { testGridMenu(at); }); });
}

// Each toolbar button first, then its menu item takes the button's state.
void TfrmMain::tblPatientsStateChange()
{
    const CommandStates c = AvailableCommands(m_store.tblPatients);
    const std::pair<QAction *, bool> buttons[] = {{tbNew, c.New}, {tbSave, c.Save}, {tbCancel, c.Cancel},
                                                  {tbPrint, c.Print}, {tbPrev, c.Prev}, {tbNext, c.Next}};
    for (const auto &[button, enabled] : buttons)
        button->setEnabled(enabled);
    New1->setEnabled(tbNew->isEnabled());
    Save1->setEnabled(tbSave->isEnabled());
    Cancel1->setEnabled(tbCancel->isEnabled());
    Print1->setEnabled(tbPrint->isEnabled());
    PreviewLabels1->setEnabled(tbPrint->isEnabled());
    Previous1->setEnabled(tbPrev->isEnabled());
    Next1->setEnabled(tbNext->isEnabled());
    for (QAction *item : {EmptyDatabase1, Delete1, Export1, AccnList1, ExportLabelHistory1, LabelHistory1, SendToLis1,
                          ExportForLis1, Find1, ExportAuditTrail1, RecordHistory1})
        item->setEnabled(c.Others);
}

void TfrmMain::LoadTemplate()
{
    m_printerDefinition = {};
    try {
        m_printerDefinition.lines = LoadTemplateLines(m_station.files().PrinterDefFile);
    } catch (const ETemplateEncoding &e) {
        m_printerDefinition.fault = e.message(); // said when a label is to be printed
    } catch (const ETabrixError &) {
        ShowError(QStringLiteral("Unable to load print template."));
    }
}

// A jammed label replaced: its registration becomes the current record (the record
// on screen saved first) and `copies` labels of its test are printed as every label is.
void TfrmMain::reprintLabel(const QVariant &orderId, const QString &testCode, int copies)
{
    Cursor &patients = m_store.tblPatients;
    if (!m_lifecycle.TryPost())
        return;
    if (patients.key() != orderId && !patients.Locate(orderId)) {
        ShowError(QStringLiteral("That registration is no longer in the register."));
        return;
    }
    printing([&](const PrintRunWindow &window) { return m_printRun.reprint(m_printerDefinition, window, testCode, copies); });
}

// The test grid's context menu: a test's label printed again.
void TfrmMain::testGridMenu(const QPoint &at)
{
    QTableView *grid = m_panel->testGrid();
    const QModelIndex test = grid->indexAt(at);
    if (!test.isValid() || m_store.tblPatients.editing())
        return;
    QMenu menu(grid);
    QAction *reprint = menu.addAction(QStringLiteral("Reprint Label\u2026"));
    reprint->setObjectName(QStringLiteral("ReprintTestLabel"));
    const QString code = test.siblingAtColumn(0).data().toString();
    connect(reprint, &QAction::triggered, this, [this, code] {
        RunGuarded([&] {
            const QString name = QStringLiteral("%1, test %2").arg(m_store.tblPatients.asString(QStringLiteral("AccnStr")), code);
            if (const auto copies = AskReprintCopies(this, name))
                reprintLabel(m_store.tblPatients.key(), code, *copies);
        });
    });
    menu.exec(grid->viewport()->mapToGlobal(at));
}

bool TfrmMain::tbPrintClick()
{
    // A code still in the test box is the clerk's: it is added first, as Enter would.
    if (!m_testCodes->takeTypedCode())
        return false;
    return !printing([this](const PrintRunWindow &window) { return m_printRun.print(m_printerDefinition, window); })
                .failed();
}

// A run of the current record's labels, the window's keys held meanwhile; the
// toolbar is off and the status bar names each label while it runs.
PrintRunResult TfrmMain::printing(const std::function<PrintRunResult(const PrintRunWindow &)> &run)
{
    TypeAhead::Hold hold(*m_typeAhead,
                         QStringLiteral("the labels for %1").arg(m_store.tblPatients.asString(QStringLiteral("AccnStr"))));
    return run({[this](bool on) { ToolBar1->setEnabled(on); },
                [this](const QString &text) { statusBar()->showMessage(text, 30000); }});
}

TfrmMain::~TfrmMain()
{
    m_store.Disconnect(); // nothing happens when it is closed already
}

void TfrmMain::buildToolbarAndMenus()
{
    ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    auto *noTips = new NoToolTips(this);
    const auto button = [&](const char *name, Pictures::Tool picture, const char *hint, bool enabled) {
        QAction *a = ToolBar1->addAction(Pictures::toolIcon(picture), QString::fromLatin1(hint));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        ToolBar1->widgetForAction(a)->installEventFilter(noTips);
        return a;
    };
    tbNew = button("tbNew", Pictures::Tool::New, "New Patient", true);
    tbCancel = button("tbCancel", Pictures::Tool::Cancel, "Cancel Changes", false);
    tbSave = button("tbSave", Pictures::Tool::Save, "Save Changes", false);
    tbPrint = button("tbPrint", Pictures::Tool::Print, "Print Label", true);
    ToolBar1->addSeparator();
    tbPrev = button("tbPrev", Pictures::Tool::Prior, "Previous Record", false);
    tbNext = button("tbNext", Pictures::Tool::Next, "Next Record", false);

    const auto item = [&](QMenu *menu, const char *name, const char *caption, QKeySequence key = {}) {
        QAction *a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        return a;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    PrinterSetup2 = item(file, "PrinterSetup2", "Printer &Setup");
    Export1 = item(file, "Export1", "&Export");
    ExportLabelHistory1 = item(file, "ExportLabelHistory1", "Export &Label History");
    SendToLis1 = item(file, "SendToLis1", "Sen&d to LIS");
    ExportForLis1 = item(file, "ExportForLis1", "Export &for LIS (FHIR)");
    ExportAuditTrail1 = item(file, "ExportAuditTrail1", "Export &Audit Trail");
    file->addSeparator();
    Exit1 = item(file, "Exit1", "E&xit");
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    Preferences1 = item(edit, "Preferences1", "Preferences");
    PrinterTemplate1 = item(edit, "PrinterTemplate1", "Printer Template");
    edit->addSeparator();
    EmptyDatabase1 = item(edit, "EmptyDatabase1", "Reset Accns");
    QMenu *record = menuBar()->addMenu(QStringLiteral("Record"));
    New1 = item(record, "New1", "New", Qt::Key_F5);
    Cancel1 = item(record, "Cancel1", "Cancel", Qt::Key_F6);
    Save1 = item(record, "Save1", "Save", Qt::Key_F7);
    Print1 = item(record, "Print1", "Print", Qt::Key_F8);
    record->addSeparator();
    Delete1 = item(record, "Delete1", "Delete");
    record->addSeparator();
    Previous1 = item(record, "Previous1", "Previous");
    Next1 = item(record, "Next1", "Next");
    record->addSeparator();
    PreviewLabels1 = item(record, "PreviewLabels1", "Preview Labels");
    LabelHistory1 = item(record, "LabelHistory1", "Label History");
    Find1 = item(record, "Find1", "Find\u2026", QKeySequence(Qt::CTRL | Qt::Key_F));
    RecordHistory1 = item(record, "RecordHistory1", "Record History");
    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    AccnList1 = item(view, "AccnList1", "Patient Log");
    QMenu *about = menuBar()->addMenu(QStringLiteral("&About"));
    Help1 = item(about, "Help1", "&Help");
    Helpontheweb1 = item(about, "Helpontheweb1", "&Web Help and Updates");
    about->addSeparator();
    About2 = item(about, "About2", "&About");

    // Until the patients table opens, the menu items follow their buttons.
    Cancel1->setEnabled(false);
    Save1->setEnabled(false);
    Previous1->setEnabled(false);
    Next1->setEnabled(false);

    connect(Exit1, &QAction::triggered, this, &QWidget::close);
    connect(PrinterSetup2, &QAction::triggered, this, [this] { RunGuarded([this] { PrinterSetup2Click(this, m_station); }); });
    connect(Helpontheweb1, &QAction::triggered, this, [this] { ShellOpen(m_station.files().HelpFile); });
    connect(About2, &QAction::triggered, this, [this] { TfrmAbout(this).exec(); });
    connect(PrinterTemplate1, &QAction::triggered, this, [this] { RunGuarded([this] { PrinterTemplate1Click(); }); });
    connect(Preferences1, &QAction::triggered, this, [this] { RunGuarded([this] { Preferences1Click(); }); });
    connect(Help1, &QAction::triggered, this, [this] { Help1Click(this, m_station.files().HelpFile); });
    // F1 opens the help too, beside the menu item (which keeps its own look).
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { Help1Click(this, m_station.files().HelpFile); });
    connect(Export1, &QAction::triggered, this,
            [this] { RunGuarded([this] { exported(Export1Click(this, m_lifecycle, m_store.database(), m_exportDir)); }); });
    connect(AccnList1, &QAction::triggered, this, [this] { RunGuarded([this] { AccnList1Click(); }); });
    connect(ExportLabelHistory1, &QAction::triggered, this,
            [this] { RunGuarded([this] { ExportLabelHistory1Click(this, m_store.database(), m_exportDir); }); });
    connect(LabelHistory1, &QAction::triggered, this, [this] {
        RunGuarded([this] {
            LabelHistory1Click(this, m_store, [this](const LedgerLabel &label, int copies) {
                reprintLabel(label.orderId, label.testCode, copies);
            });
        });
    });
    connect(SendToLis1, &QAction::triggered, this, [this] {
        RunGuarded([this] { SendToLis1Click(this, m_station, m_store.database()); });
        m_lisSettings = LisSettings::Read(m_station.files().SettingsFile); // as the window read them
        refreshLisStatus();
    });
    connect(ExportAuditTrail1, &QAction::triggered, this,
            [this] { RunGuarded([this] { ExportAuditTrail1Click(this, m_store.database(), m_exportDir); }); });
    connect(RecordHistory1, &QAction::triggered, this, [this] { RunGuarded([this] { RecordHistory1Click(this, m_store); }); });
    connect(ExportForLis1, &QAction::triggered, this,
            [this] { RunGuarded([this] { ExportForLis1Click(this, m_station, m_store.database(), m_exportDir); }); });
}

// The LIS's word in the status bar: read again at start, after a send and a
// moment after the register changed here.
void TfrmMain::refreshLisStatus()
{
    if (!m_store.connected())
        return;
    RunGuarded([this] {
        const QString text = LisPendingText(m_store.database(), m_lisSettings);
        LisStatus->setText(text);
        LisStatus->setVisible(!text.isEmpty());
    });
}

// After an export, the status bar names its file (the box only says it is complete).
void TfrmMain::exported(const QString &file)
{
    if (!file.isEmpty())
        statusBar()->showMessage(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(file)), 30000);
}

void TfrmMain::FormCreate()
{
    m_exportDir = m_station.files().ExportFolder();
    // A banner picture of the station's own, with its own page when one is named.
    RunGuarded([this] {
        const QString path = m_station.read(Settings::BannerPath);
        if (path.isEmpty() || !QFileInfo::exists(path))
            return;
        static const QStringList readable = {"bmp", "ico", "wmf", "emf", "gif"};
        QPixmap picture;
        if (!readable.contains(QFileInfo(path).suffix().toLower()) || !picture.load(path))
            return; // an unreadable picture leaves the built-in banner, without a word
        m_panel->banner()->setPixmap(picture);
        m_helpURL = m_station.read(Settings::BannerURL);
        if (m_helpURL.isEmpty())
            m_helpURL = TabrixDefs::DefaultHelpURL;
    });
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void TfrmMain::FormShow()
{
    LoadTemplate();
    RunGuarded([this] {
        adjustSize();
        const QRect screenArea = screen() ? screen()->geometry() : QRect(0, 0, 1024, 768);
        const QSize outer = frameGeometry().size();
        const int top = m_station.read(Settings::WindowTop, screenArea.height() / 2 - outer.height() / 2);
        const int left = m_station.read(Settings::WindowLeft, screenArea.width() / 2 - outer.width() / 2);
        move(left, top);
        keepOnAScreen();
        StatusText->setText(m_station.settings().StationID);
    });
    RunGuarded([this] { closeUnfinishedLabels(); });
    m_lisSettings = LisSettings::Read(m_station.files().SettingsFile);
    refreshLisStatus();
    // The about box greets the user once, closing by itself after a minute.
    QTimer::singleShot(0, this, [this] {
        TfrmAbout about(this);
        about.startAutoClose();
        about.exec();
    });
}

// Labels whose print an earlier run of this station never finished (the program
// ended meanwhile) are closed as such, and said.
void TfrmMain::closeUnfinishedLabels()
{
    LabelLedger ledger(m_store.database());
    if (!m_store.connected() || !ledger.present())
        return;
    const int n = ledger.closeUnfinished(m_station.settings().StationID, Clock::now());
    if (n > 0)
        statusBar()->showMessage(QStringLiteral("%1 label%2 of an earlier run %3 left unconfirmed: the program ended during "
                                                "%4 print. Label History shows %5 as \"%6\"; check those tubes.")
                                     .arg(n)
                                     .arg(n == 1 ? "" : "s", n == 1 ? "was" : "were", n == 1 ? "its" : "their",
                                          n == 1 ? "it" : "them", LabelLedger::EndedDuringPrint),
                                 60000);
}

// A stored place off every screen (another monitor, another scale) would leave the
// window out of reach: it is moved into the available area of the nearest screen.
void TfrmMain::keepOnAScreen()
{
    const QRect frame = frameGeometry();
    for (const QScreen *s : QGuiApplication::screens())
        if (s->availableGeometry().contains(frame))
            return;
    const QScreen *nearest = QGuiApplication::screenAt(frame.center());
    if (!nearest)
        nearest = QGuiApplication::primaryScreen();
    if (!nearest)
        return;
    const QRect area = nearest->availableGeometry();
    const int left = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1));
    const int top = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1));
    move(left, top);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    if (m_typeAhead->held()) { // labels are printing: the program does not end under them
        statusBar()->showMessage(m_typeAhead->busyText(), 30000);
        event->ignore();
        return;
    }
    bool mayClose = false;
    RunGuarded([&] { mayClose = m_lifecycle.FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TfrmMain::FormClose()
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // A refused write is shown, but never keeps the program from closing.
        RunGuarded([this] {
            const QRect outer = frameGeometry();
            m_station.write(Settings::WindowWidth, outer.width());
            m_station.write(Settings::WindowHeight, outer.height());
            m_station.write(Settings::WindowTop, outer.top());
            m_station.write(Settings::WindowLeft, outer.left());
        });
    }
    m_store.Disconnect();
}

void TfrmMain::bringToFront()
{
    if (isMinimized()) {
        showNormal();
        return;
    }
    QWidget *front = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this;
    front->raise();
    front->activateWindow();
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel->banner() && event->type() == QEvent::MouseButtonRelease)
        ShellOpen(m_helpURL); // the banner opens its page
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::PrinterTemplate1Click()
{
    TfrmCodeEditor editor(m_station, this, m_store.tblPatients.database());
    connect(&editor, &TfrmCodeEditor::helpRequested, &editor, [&] { Help1Click(&editor, m_station.files().HelpFile); });
    if (editor.exec() == QDialog::Accepted)
        LoadTemplate();
}

void TfrmMain::Preferences1Click()
{
    {
        TfrmOptions options(m_station, this);
        if (options.exec() == QDialog::Accepted)
            options.FormClose(); // a refused write ends here, before the template is read again
    }
    LoadTemplate();
}

void TfrmMain::AccnList1Click()
{
    if (!m_patientLog)
        return;
    m_patientLog->setDataSource(&m_store.tblPatients);
    m_patientLog->exec();
}


} // namespace Tabrix
