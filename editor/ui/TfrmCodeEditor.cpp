#include "editor/ui/TfrmCodeEditor.h"
#include "base/AtomicFile.h"
#include "base/Settings.h"
#include "base/ui/Pictures.h"
#include "base/Prompter.h"
#include "register/Station.h"
#include "editor/ui/TemplateHighlighter.h"
#include "editor/ui/TfrmGetLabel.h"
#include "labels/LabelLedger.h"
#include "labels/Labels.h"
#include "labels/Template.h"
#include "labels/preview/LabelPreview.h"
#include "labels/preview/LabelDrawer.h"
#include "labels/preview/LayoutCheck.h"
#include "labels/ui/LabelPictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace Tabrix {

namespace {

const char *const Filter = "Tabrix Printer Definition Files (*.tpd);;Text Files (*.txt);;All Files (*)";

struct Insertion {
    const char *caption;
    const char *text;
};
struct Group {
    const char *caption;
    std::initializer_list<Insertion> items;
};

const Group fieldGroups[] = {
    {"Accession", {{"Accession (X12345)", "<#Field Name=AccnStr>"}, {"Accession (1000012345)", "<#Field Name=AccnNum>"}}},
    {"Patient",
     {{"Full Name (Last, First)", "<#Field Name=FullName Length=40>"}, {"Last Name", "<#Field Name=Last_Name>"},
      {"First Name", "<#Field Name=First_Name>"}, {"Middle Initial", "<#Field Name=Middle_Initial>"},
      {"Patient ID", "<#Field Name=Patient_id>"}, {"DOB", "<#Field Name=DOB Format=mm/dd/yyyy>"},
      {"Age", "<#Field Name=Age>"}, {"Location", "<#Field Name=Location>"}, {"Gender", "<#Field Name=Gender>"}}},
    {"Collection Date/Time",
     {{"Collection Date", "<#Field Name=Collection_date Format=mm/dd>"},
      {"Collection Time", "<#Field Name=Collection_time>"}}},
    {"Recieve Date/Time",
     {{"Recieve Date", "<#Field Name=Recieve_date Format=mm/dd>"}, {"Recieve Time", "<#Field Name=Recieve_time>"}}},
    {"Test Codes",
     {{"Test Code", "<#Field Name=TestCode Length=20>"}, {"Test Code 2", "<#Field Name=TestCode2 Length=20>"}}},
};
const Insertion stationItem = {"Station ID", "<#Field Name=StationID>"};

const Insertion charItems[] = {
    {"Carriage Return", "[CR]"}, {"Line Feed", "[LF]"}, {"CR/LF", "[CR][LF]"}, {"Form Feed", "[FF]"},
    {"Tab", "[TAB]"}, {"Escape", "[ESC]"}, {"Null", "[NULL]"}, {"-", nullptr},
    {"<", "[\"<\"]"}, {">", "[\">\"]"}, {"[", "[\"[\"]"}, {"]", "[\"]\"]"},
};

// Editor text uses "\n" between lines; the file has CR LF.
QString toEditor(const QString &fileText)
{
    QString t = fileText;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

QByteArray readFileText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ETabrixError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()));
    return f.readAll();
}

// Writes the text as the bytes of a printer definition, replacing the file at once.
void writeFileText(const QString &path, const QString &text)
{
    if (const QString why = WriteFileAtomically(path, text.toLatin1()); !why.isEmpty())
        throw ETabrixError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, why));
}

} // namespace

TfrmCodeEditor::TfrmCodeEditor(const Station &station, QWidget *parent, const QSqlDatabase &ledgerRegister)
    : QDialog(parent), m_station(station), m_ledgerRegister(ledgerRegister)
{
    setObjectName(QStringLiteral("frmCodeEditor"));
    setWindowTitle(QStringLiteral("Template Editor"));
    resize(760, 520);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    RichEdit1->setFont(mono);
    m_highlighter = new TemplateHighlighter(this);
    m_preview = new LabelPictures(this);
    m_preview->hide();
    // The preview follows the typing after a pause, drawn on a thread of its own so
    // that no key waits for it; a key makes the drawing under way stale.
    m_drawer = new LabelDrawer(this);
    connect(m_drawer, &LabelDrawer::drawn, this, [this](const LabelPreview &preview) {
        m_preview->showPreview(preview, {QStringLiteral("Test label, from the sample values")});
    });
    m_previewPause = new QTimer(this);
    m_previewPause->setSingleShot(true);
    m_previewPause->setInterval(250);
    connect(m_previewPause, &QTimer::timeout, this, &TfrmCodeEditor::refreshPreview);
    connect(RichEdit1, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_previewItem->isChecked())
            return;
        m_drawer->cancel();
        m_previewPause->start();
    });

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnOK->setDefault(false); // Return in the editor is a line break
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    buildMenus();
    auto *layout = new QVBoxLayout(this);
    layout->setMenuBar(findChild<QMenuBar *>());
    layout->addWidget(ToolBar1);
    m_panes = new QSplitter(this);
    m_panes->addWidget(RichEdit1);
    m_panes->addWidget(m_preview);
    m_panes->setChildrenCollapsible(false);
    layout->addWidget(m_panes, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnCancel);
    bottom->addWidget(btnOK);
    layout->addLayout(bottom);
    setTabOrder(RichEdit1, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOKClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnCancelClick(); }); });
    connect(RichEdit1, &QPlainTextEdit::selectionChanged, this, &TfrmCodeEditor::RichEdit1SelectionChange);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, &TfrmCodeEditor::helpRequested);
    FormCreate();
}

TfrmCodeEditor::~TfrmCodeEditor()
{
    // The colouring choice outlives the window, whatever its result.
    RunGuarded([this] { m_station.write(Settings::Colorize, colorize()); });
}

void TfrmCodeEditor::buildMenus()
{
    auto *bar = new QMenuBar(this);
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    const auto action = [&](QMenu *menu, const char *name, const char *caption, auto handler) {
        QAction *a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        return a;
    };
    const auto button = [&](const char *name, Pictures::Tool picture, const char *hint, auto handler) {
        QAction *a = ToolBar1->addAction(Pictures::toolIcon(picture), QString::fromLatin1(hint));
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromLatin1(hint));
        connect(a, &QAction::triggered, this, [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
        return a;
    };
    using E = TfrmCodeEditor;
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    New1 = action(file, "New1", "&New", &E::tbNewClick);
    Open1 = action(file, "Open1", "&Open", &E::tbOpenClick);
    Save1 = action(file, "Save1", "&Save", &E::tbSaveClick);
    file->addSeparator();
    TestPrint1 = action(file, "TestPrint1", "Test &Print", &E::tbTestPrintClick);
    file->addSeparator();
    Import1 = action(file, "Import1", "&Import", &E::tbListenClick);
    file->addSeparator();
    Exit1 = action(file, "Exit1", "E&xit", &E::btnOKClick);

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    Cut1 = edit->addAction(QStringLiteral("Cut"), RichEdit1, &QPlainTextEdit::cut);
    Copy1 = edit->addAction(QStringLiteral("Copy"), RichEdit1, &QPlainTextEdit::copy);
    Paste1 = edit->addAction(QStringLiteral("Paste"), RichEdit1, &QPlainTextEdit::paste);
    SelectAll1 = edit->addAction(QStringLiteral("Select All"), RichEdit1, &QPlainTextEdit::selectAll);
    edit->addSeparator();
    Colorize1 = action(edit, "Colorize1", "Colorize", &E::Colorize1Click);
    Colorize1->setCheckable(true);
    Cut1->setObjectName(QStringLiteral("Cut1"));
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Paste1->setObjectName(QStringLiteral("Paste1"));
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));

    QMenu *fields = bar->addMenu(QStringLiteral("&Fields"));
    QMenu *database = fieldMenu(fields, true);
    database->setTitle(QStringLiteral("Database"));
    fields->addMenu(database);
    QMenu *character = charMenu(fields);
    character->setTitle(QStringLiteral("Character"));
    fields->addMenu(character);

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    m_previewItem = view->addAction(QStringLiteral("Label &Preview"));
    m_previewItem->setObjectName(QStringLiteral("LabelPreview1"));
    m_previewItem->setCheckable(true);
    connect(m_previewItem, &QAction::toggled, this, [this](bool on) {
        showPreview(on);
        RunGuarded([this, on] { m_station.write(Settings::LabelPreview, on); }); // remembered for the next opening
    });
    QAction *checkLayout = view->addAction(QStringLiteral("Check &Layout"));
    checkLayout->setObjectName(QStringLiteral("CheckLayout1"));
    connect(checkLayout, &QAction::triggered, this, [this] { RunGuarded([this] { CheckLayout1Click(); }); });

    tbNew = button("tbNew", Pictures::Tool::New, "New", &E::tbNewClick);
    tbOpen = button("tbOpen", Pictures::Tool::Open, "Open from file", &E::tbOpenClick);
    tbSave = button("tbSave", Pictures::Tool::Save, "Save to file", &E::tbSaveClick);
    ToolBar1->addSeparator();
    tbCut = ToolBar1->addAction(Pictures::toolIcon(Pictures::Tool::Cut), QStringLiteral("Cut"), RichEdit1, &QPlainTextEdit::cut);
    tbCopy = ToolBar1->addAction(Pictures::toolIcon(Pictures::Tool::Copy), QStringLiteral("Copy"), RichEdit1, &QPlainTextEdit::copy);
    tbPaste = ToolBar1->addAction(Pictures::toolIcon(Pictures::Tool::Paste), QStringLiteral("Paste"), RichEdit1, &QPlainTextEdit::paste);
    tbCut->setObjectName(QStringLiteral("tbCut"));
    tbCopy->setObjectName(QStringLiteral("tbCopy"));
    tbPaste->setObjectName(QStringLiteral("tbPaste"));
    ToolBar1->addSeparator();
    tbTestPrint = button("tbTestPrint", Pictures::Tool::Print, "", &E::tbTestPrintClick);
    ToolBar1->addSeparator();
    menuFields = fieldMenu(this, false);
    menuChars = charMenu(this);
    const auto dropDown = [&](const char *name, Pictures::Tool picture, const char *hint, QMenu *menu) {
        QAction *a = ToolBar1->addAction(Pictures::toolIcon(picture), QString::fromLatin1(hint));
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromLatin1(hint));
        a->setMenu(menu);
        auto *b = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(a));
        b->setPopupMode(QToolButton::MenuButtonPopup);
        // The button itself opens the menu too, as its arrow does.
        connect(a, &QAction::triggered, b, &QToolButton::showMenu);
        return a;
    };
    tbField = dropDown("tbField", Pictures::Tool::Field, "Add Field", menuFields);
    tbChar = dropDown("tbChar", Pictures::Tool::Char, "", menuChars);
    ToolBar1->addSeparator();
    tbListen = button("tbListen", Pictures::Tool::Listen, "Listen for label", &E::tbListenClick);
}

QMenu *TfrmCodeEditor::fieldMenu(QWidget *parent, bool database)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(database ? QStringLiteral("Database1") : QStringLiteral("menuFields"));
    for (const Group &g : fieldGroups) {
        const bool testCodes = QLatin1String(g.caption) == QLatin1String("Test Codes");
        QMenu *group = menu->addMenu(database && testCodes ? QStringLiteral("Test Code") : QString::fromLatin1(g.caption));
        for (const Insertion &item : g.items) {
            QAction *a = group->addAction(QString::fromLatin1(item.caption));
            a->setData(QString::fromLatin1(item.text)); // the item carries its text
            connect(a, &QAction::triggered, this, [this, a] { FieldtemClick(a); });
        }
    }
    if (!database) {
        QAction *a = menu->addAction(QString::fromLatin1(stationItem.caption));
        a->setData(QString::fromLatin1(stationItem.text));
        connect(a, &QAction::triggered, this, [this, a] { FieldtemClick(a); });
    }
    return menu;
}

QMenu *TfrmCodeEditor::charMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("menuChars"));
    for (const Insertion &item : charItems) {
        if (!item.text) {
            menu->addSeparator();
            continue;
        }
        QAction *a = menu->addAction(QString::fromLatin1(item.caption));
        a->setData(QString::fromLatin1(item.text));
        connect(a, &QAction::triggered, this, [this, a] { FieldtemClick(a); });
    }
    return menu;
}

void TfrmCodeEditor::FormCreate()
{
    Colorize1->setChecked(m_station.read(Settings::Colorize));
    SampleValues1 = SampleValues::Load(m_station.files().withExt(QStringLiteral(".tst")));
    const QString definition = m_station.files().PrinterDefFile;
    try {
        setText(QFileInfo::exists(definition) ? QString::fromLatin1(readFileText(definition)) : QString());
    } catch (const ETabrixError &) {
        ShowError(QStringLiteral("Error loading printer template file"));
        setText(QString());
    }
    {
        const QSignalBlocker quiet(m_previewItem); // reading the choice is no change of it
        m_previewItem->setChecked(m_station.read(Settings::LabelPreview));
    }
    showPreview(m_previewItem->isChecked());
    RichEdit1Change();
}

void TfrmCodeEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The text-change handler from now on, and the colours of the loaded text.
    connect(RichEdit1, &QPlainTextEdit::textChanged, this, &TfrmCodeEditor::RichEdit1Change, Qt::UniqueConnection);
    Colorize1Click();
    if (m_previewItem->isChecked())
        makeRoomForPreview();
}

QString TfrmCodeEditor::text() const
{
    QString t = RichEdit1->toPlainText();
    t.replace(u'\n', QLatin1String("\r\n"));
    return t;
}

void TfrmCodeEditor::setText(const QString &text)
{
    RichEdit1->setPlainText(toEditor(text));
}

bool TfrmCodeEditor::colorize() const
{
    return Colorize1->isChecked();
}

void TfrmCodeEditor::RichEdit1Change()
{
    const bool hasText = !RichEdit1->document()->isEmpty();
    for (QAction *a : {tbNew, New1, tbSave, Save1})
        a->setEnabled(hasText);
    RichEdit1SelectionChange();
}

void TfrmCodeEditor::RichEdit1SelectionChange()
{
    const bool selected = RichEdit1->textCursor().hasSelection();
    for (QAction *a : {tbCut, Cut1, tbCopy, Copy1})
        a->setEnabled(selected);
}

void TfrmCodeEditor::FieldtemClick(QAction *item)
{
    RichEdit1->textCursor().insertText(item->data().toString()); // replaces the selection
}

void TfrmCodeEditor::tbNewClick()
{
    if (prompter().ask(QuestionKind::Information, QStringLiteral("Clear the current contents?")))
        RichEdit1->clear();
}

// A file dialog of the editor: in the program's folder, for printer definitions,
// ".tpd" added to a name typed without an extension. Returns the file, or "".
static QString chooseFile(QWidget *parent, const QString &folder, bool save)
{
    QFileDialog dialog(parent, save ? QStringLiteral("Save Printer Definition File") : QStringLiteral("Open printer definition file"),
                       folder, QString::fromLatin1(Filter));
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setDefaultSuffix(QStringLiteral("tpd"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setOption(QFileDialog::ReadOnly);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void TfrmCodeEditor::tbOpenClick()
{
    if (const QString file = chooseFile(this, m_station.files().ProgramDir, false); !file.isEmpty())
        setText(QString::fromLatin1(readFileText(file)));
}

void TfrmCodeEditor::tbSaveClick()
{
    if (const QString file = chooseFile(this, m_station.files().ExportFolder(), true); !file.isEmpty())
        writeFileText(file, text());
}

QByteArray TfrmCodeEditor::testLabel() const
{
    // A working copy of the lines: the editor text itself never changes.
    const QStringList lines = RemoveComments(toEditor(text()).split(u'\n'));
    return RenderLabel(lines, [this](const QString &, const TagParams &p) { return SampleValues1.TagValue(p); },
                       ValueBytesFor(m_station.settings().LabelUTF8));
}

void TfrmCodeEditor::tbTestPrintClick()
{
    if (RichEdit1->document()->isEmpty())
        return;
    // A test label has its ledger row with no patient, accession number or test.
    RecordedPrinting recorded(m_ledgerRegister, m_station.settings().PrinterWait, m_station.settings().VerifyLabels);
    const LabelJob job = recorded.print({QVariant(), QVariant(), QString(), QString(), testLabel(), m_station.settings().StationID},
                                        QString());
    if (job.failed())
        ShowPrintFailure(job);
    for (const QString &incomplete : recorded.finish())
        ShowError(incomplete);
    if (job.failed() && !job.noPrinter && !job.recordRefused) // tried, and did not print
        ShowError(QStringLiteral("Error printing label"));
}

void TfrmCodeEditor::showPreview(bool on)
{
    m_preview->setVisible(on);
    if (on) {
        refreshPreview();
        makeRoomForPreview();
    }
}

// A 2 x 1 inch label at one pixel per dot beside the text: the window grows for
// it (within the screen) while it is narrower than both need.
void TfrmCodeEditor::makeRoomForPreview()
{
    if (!isVisible())
        return; // again when the window shows
    constexpr int TextWidth = 480, PaneWidth = 460;
    const int extra = width() - m_panes->width();
    int wanted = TextWidth + PaneWidth + m_panes->handleWidth() + extra;
    if (const QScreen *s = screen())
        wanted = std::min(wanted, s->availableGeometry().width() - (frameGeometry().width() - width()));
    if (width() < wanted)
        resize(wanted, height());
    const int total = m_panes->width();
    m_panes->setSizes({std::max(total - PaneWidth, total / 2), std::min(PaneWidth, total / 2)});
}

// The test label as the test print would send it, drawn off the window's thread; a
// template that cannot be filled says why in the pane, never in a box while typing.
void TfrmCodeEditor::refreshPreview()
{
    if (RichEdit1->document()->isEmpty()) {
        m_drawer->cancel();
        m_preview->showMessage(QStringLiteral("The template is empty."));
        return;
    }
    try {
        m_drawer->draw(testLabel());
    } catch (const ETabrixError &e) {
        m_drawer->cancel();
        m_preview->showMessage(e.message());
    }
}

// What the layout check finds on the test label, against the station's label
// stock and bar height; a template that cannot be filled raises why.
void TfrmCodeEditor::CheckLayout1Click()
{
    const QStringList lines = RemoveComments(toEditor(text()).split(u'\n'));
    const QList<LayoutFinding> findings =
        CheckLayout(lines, [this](const QString &, const TagParams &p) { return SampleValues1.TagValue(p); },
                    LayoutRules::FromSettings(m_station.files().SettingsFile));
    if (findings.isEmpty()) {
        prompter().inform(QStringLiteral("The test label passes every layout check."));
        return;
    }
    QStringList said;
    for (const LayoutFinding &f : findings)
        said << f.text();
    prompter().inform(QStringLiteral("The layout check found %1 on the test label:\n\n%2")
                          .arg(findings.size() == 1 ? QStringLiteral("one thing") : QStringLiteral("%1 things").arg(findings.size()),
                               said.join(u'\n')));
}

void TfrmCodeEditor::tbListenClick()
{
    TfrmGetLabel capture(this);
    if (!prompter().ask(QuestionKind::Information, QStringLiteral("Replace current contents?")))
        return;
    if (capture.exec() == QDialog::Accepted)
        setText(QString::fromLatin1(capture.LabelText()));
}

void TfrmCodeEditor::Colorize1Click()
{
    // The colouring follows the option at once: the whole text coloured, or all black.
    m_highlighter->setDocument(colorize() ? RichEdit1->document() : nullptr);
    if (colorize())
        m_highlighter->rehighlight();
}

void TfrmCodeEditor::btnOKClick()
{
    try {
        writeFileText(m_station.files().PrinterDefFile, text());
    } catch (const ETabrixError &) {
        ShowError(QStringLiteral("Error saving print template"));
        return;
    }
    m_closingFromTitleBar = false;
    accept();
}

void TfrmCodeEditor::btnCancelClick()
{
    if (!prompter().ask(QuestionKind::Information, QStringLiteral("Disregard changes")))
        return;
    m_closingFromTitleBar = false;
    QDialog::reject();
}

void TfrmCodeEditor::reject()
{
    RunGuarded([this] { btnCancelClick(); });
}

void TfrmCodeEditor::closeEvent(QCloseEvent *event)
{
    // The title bar's close button discards the text without a question.
    if (m_closingFromTitleBar && isVisible())
        QDialog::done(QDialog::Rejected);
    event->accept();
}

} // namespace Tabrix
