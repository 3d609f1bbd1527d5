#include "base/IniFile.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmAbout.h"
#include "app/ui/TfrmHelp.h"
#include "app/ui/TfrmMain.h"
#include "app/ui/TfrmOptions.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

// The options dialog shown and active, on a program folder of its own.
struct Options {
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    std::unique_ptr<TfrmOptions> dialog;

    explicit Options(TAccnRecord range = {})
    {
        Support::Set(folder.station, [&](StationSettings &s) { s.TAccn = range; });
        folder.station.setNextNum(range.NextNum);
        dialog = std::make_unique<TfrmOptions>(folder.station);
        dialog->show();
        dialog->activateWindow();
        QTest::qWaitForWindowActive(dialog.get());
    }
    const StationSettings &settings() const { return folder.station.settings(); }
    void type(QWidget *box, const QString &text)
    {
        box->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(box))
            edit->selectAll();
        QTest::keyClicks(box, text);
    }
    void setRange(const QString &min, const QString &max)
    {
        Support::Control<QLineEdit>(*dialog, "eAccnMin")->clear();
        Support::Control<QLineEdit>(*dialog, "eAccnMax")->clear();
        type(Support::Control<QLineEdit>(*dialog, "eAccnMin"), min);
        type(Support::Control<QLineEdit>(*dialog, "eAccnMax"), max);
    }
};

// Ranges as typed into the Accn Range tab (or given to the range tool), and whether they are taken.
struct RangeCase { const char *min, *max; bool accepted; };
const RangeCase RangeCases[] = {
    {"", "", false}, {"X20000", "X12345", false}, {"12345", "X20000", false}, {"X12345", "", false},
    {"x12345", "x12345", true}, {"x12345", "X20000", true},
};

} // namespace

TEST(Options, TheRangeMustBeValidBeforeDone)
{
    Options o;
    EXPECT_EQ(o.dialog->windowTitle(), "Program Options");
    EXPECT_EQ(QApplication::focusWidget(), Support::Control<QPushButton>(*o.dialog, "btnOK"));
    EXPECT_EQ(Support::Control<QLineEdit>(*o.dialog, "eAccnMin")->text(), "");
    for (const RangeCase &c : RangeCases) {
        SCOPED_TRACE(std::string(c.min) + " to " + c.max);
        o.prompter.errors.clear();
        Support::Control<QTabWidget>(*o.dialog, "PageControl1")->setCurrentIndex(0);
        o.setRange(c.min, c.max);
        Support::Control<QPushButton>(*o.dialog, "btnOK")->click();
        EXPECT_EQ(o.dialog->result() == QDialog::Accepted, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(o.prompter.errors, QStringList{"Please enter a valid Range"});
            EXPECT_EQ(Support::Control<QTabWidget>(*o.dialog, "PageControl1")->currentIndex(), 1);
            EXPECT_EQ(QApplication::focusWidget(), Support::Control<QLineEdit>(*o.dialog, "eAccnMin"));
            EXPECT_TRUE(o.dialog->isVisible());
        }
        o.dialog->setResult(0);
        o.dialog->show();
    }
    EXPECT_EQ(Support::Control<QLineEdit>(*o.dialog, "eAccnMin")->text(), "X12345"); // typed in lower case
    o.dialog->FormClose();
    EXPECT_EQ(o.settings().TAccn.MinValue, 100012345);
    EXPECT_EQ(o.settings().TAccn.MaxValue, 100020000);
}

TEST(Options, TheRangeToolRefusesWhatTheDialogRefusesAndWritesWhatItWrites)
{
    Options o;
    o.setRange("X10000", "X10001");
    Support::Control<QPushButton>(*o.dialog, "btnOK")->click();
    o.dialog->FormClose(); // every key of the dialog in the file
    const QByteArray before = o.folder.readFile("tabrix.ini");
    const auto tool = [&](const QStringList &args, QString *said = nullptr) {
        QProcess p;
        p.start(QStringLiteral(TABRIX_REGISTER_TOOL), QStringList{"range", o.folder.path("")} + args);
        p.waitForFinished(30000);
        if (said)
            *said = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    };
    // Seven characters, which the dialog's box never takes.
    EXPECT_EQ(tool({"X123456", "X20000"}), 1);
    EXPECT_EQ(o.folder.readFile("tabrix.ini"), before);
    for (const RangeCase &c : RangeCases) {
        SCOPED_TRACE(std::string(c.min) + " to " + c.max);
        o.folder.writeFile("tabrix.ini", before);
        QString said;
        EXPECT_EQ(tool({c.min, c.max}, &said), c.accepted ? 0 : 1) << qPrintable(said);
        if (!c.accepted) {
            EXPECT_TRUE(said.contains("Please enter a valid Range")) << qPrintable(said);
            EXPECT_EQ(o.folder.readFile("tabrix.ini"), before);
            continue;
        }
        const QByteArray written = o.folder.readFile("tabrix.ini");
        o.folder.writeFile("tabrix.ini", before);
        o.dialog = std::make_unique<TfrmOptions>(o.folder.station);
        o.dialog->show();
        o.setRange(c.min, c.max);
        Support::Control<QPushButton>(*o.dialog, "btnOK")->click();
        ASSERT_EQ(o.dialog->result(), QDialog::Accepted);
        o.dialog->FormClose();
        EXPECT_EQ(o.folder.readFile("tabrix.ini"), written);
    }

    // Shown with the next number the register gives.
    o.folder.createRegister();
    {
        RecordStore store{o.folder.station};
        store.Connect(o.folder.path("tabrix.udl"));
        Support::AddPatient(store, {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", QDateTime::currentDateTime()},
                                    {"Last_Name", "PINDLE"}, {"First_Name", "OSKA"}});
    }
    QString shown;
    EXPECT_EQ(tool({"--show"}, &shown), 0);
    EXPECT_EQ(shown, "X12345 to X20000 (MinValue=100012345, MaxValue=100020000 in " + o.folder.path("tabrix.ini") +
                         "); the next number is X12346\n");
}

TEST(Options, DoneWritesEveryKeyInOrderAndCancelChangesNothing)
{
    {
        Options o({100012345, 100020000, 100012399});
        o.folder.writeFile("tabrix.ini", "; kept\n");
        o.type(Support::Control<QLineEdit>(*o.dialog, "eStationID"), "Lab 7");
        o.type(Support::Control<QLineEdit>(*o.dialog, "eLocation"), "er");
        Support::Control<QComboBox>(*o.dialog, "cbSex")->setEditText("Female");
        o.type(Support::Control<QLineEdit>(*o.dialog, "eChars"), "!");
        Support::Control<QCheckBox>(*o.dialog, "cbShowSplash")->setChecked(false);
        o.type(Support::Control<QSpinBox>(*o.dialog, "sePrintWait"), "20000");
        Support::Control<QLineEdit>(*o.dialog, "eStationID")->setFocus(); // leaving the spin box brings the value back into range
        EXPECT_EQ(Support::Control<QSpinBox>(*o.dialog, "sePrintWait")->value(), 10000);
        const QByteArray before = o.folder.readFile("tabrix.ini");
        Support::Control<QPushButton>(*o.dialog, "btnCancel")->click();
        EXPECT_EQ(o.folder.readFile("tabrix.ini"), before);
        EXPECT_EQ(o.settings().StationID, "Tabrix Station");
        EXPECT_EQ(o.settings().Gender, u'M');
        EXPECT_EQ(o.settings().TAccn.NextNum, 100012399);
    }
    {
        Options o({100012345, 100020000, 100012399});
        o.type(Support::Control<QLineEdit>(*o.dialog, "eStationID"), "Lab 7");
        o.type(Support::Control<QLineEdit>(*o.dialog, "eLocation"), "er");
        Support::Control<QComboBox>(*o.dialog, "cbSex")->setEditText("Female");
        o.type(Support::Control<QSpinBox>(*o.dialog, "sePrintWait"), "abc");
        Support::Control<QLineEdit>(*o.dialog, "eStationID")->setFocus();
        EXPECT_EQ(Support::Control<QSpinBox>(*o.dialog, "sePrintWait")->value(), 0);
        auto *verify = Support::Control<QCheckBox>(*o.dialog, "cbVerifyLabels");
        EXPECT_TRUE(verify->isChecked()); // barcodes are read back unless the station says otherwise
        verify->setChecked(false);
        Support::Set(o.folder.station, [](StationSettings &s) { s.SplashFile = "/opt/tabrix/splash/a.gif"; });
        Support::Control<QPushButton>(*o.dialog, "btnOK")->click();
        ASSERT_EQ(o.dialog->result(), QDialog::Accepted);
        o.dialog->FormClose();
        EXPECT_EQ(o.settings().Gender, u'F');
        EXPECT_EQ(o.settings().Location, "er"); // as typed
        EXPECT_EQ(o.folder.readFile("tabrix.ini"),
                  "[Ranges]\nMinValue=100012345\nMaxValue=100020000\n\n[Defaults]\nStationID=Lab 7\nLocation=er\n"
                  "Gender=F\nIllegalChars=\\#!$\nShowSplash=1\nSplashInterval=5000\nSplashImage=/opt/tabrix/splash/a.gif\n"
                  "PrinterWait=0\nVerifyLabels=0\n");
        EXPECT_FALSE(o.settings().VerifyLabels);
        EXPECT_EQ(o.settings().TAccn.NextNum, 100012399); // the range acts on numbering only later
    }
    for (const char *sex : {"f", ""}) {
        Options o({100012345, 100020000, 0});
        Support::Control<QComboBox>(*o.dialog, "cbSex")->setEditText(sex);
        Support::Control<QPushButton>(*o.dialog, "btnOK")->click();
        o.dialog->FormClose();
        EXPECT_EQ(o.settings().Gender, *sex ? QChar(u'f') : QChar(u'M')) << sex;
    }
}

TEST(Options, IllegalCharactersActAsTheBoxStandsNow)
{
    Options o;
    o.type(Support::Control<QLineEdit>(*o.dialog, "eStationID"), "A#B");
    EXPECT_EQ(Support::Control<QLineEdit>(*o.dialog, "eStationID")->text(), "AB");
    o.type(Support::Control<QLineEdit>(*o.dialog, "eChars"), "\\!$");
    o.type(Support::Control<QLineEdit>(*o.dialog, "eLocation"), "W#1");
    EXPECT_EQ(Support::Control<QLineEdit>(*o.dialog, "eLocation")->text(), "W#1");
}

TEST(AboutAndHelp, TheBoxesShowWhatTheyShould)
{
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    {
        TfrmAbout about;
        EXPECT_EQ(about.windowTitle(), "About Tabrix");
        EXPECT_EQ(Support::Control<QLabel>(about, "lblVersion")->text(), "Version: 2.0.0.6");
        EXPECT_FALSE(Support::Control<QTimer>(about, "Timer1")->isActive()); // from the menu: no closing by itself
        EXPECT_EQ(Support::Control<QTimer>(about, "Timer1")->interval(), 60000);
        about.show();
                QTest::mouseClick(Support::Control<QLabel>(about, "Label3"), Qt::LeftButton);
        ASSERT_EQ(prompter.errors.size(), 1); // no mail program on this machine
        EXPECT_TRUE(prompter.errors[0] == "There is no application associated with the given filename extension.")
            << qPrintable(prompter.errors[0]);
        EXPECT_TRUE(about.isVisible());
        Support::Control<QTimer>(about, "Timer1")->setInterval(50); // the start-up box closes by itself
        Support::Control<QTimer>(about, "Timer1")->start();
        EXPECT_EQ(about.exec(), QDialog::Rejected);
    }
    // Help: the page, and Done centred however wide the window.
    folder.writeFile("docs.html", "<html><body><h1>Registering a specimen</h1></body></html>");
    {
        TfrmHelp help;
        help.load(folder.path("docs.html"));
        help.show();
        EXPECT_TRUE(Support::Control<QTextBrowser>(help, "WebBrowser1")->toPlainText().contains("Registering a specimen"));
        for (int width : {678, 1000}) {
            help.resize(width, 482);
            QApplication::processEvents();
            const QWidget *bar = Support::Control<QPushButton>(help, "btnOK")->parentWidget();
            EXPECT_EQ(Support::Control<QPushButton>(help, "btnOK")->x(), bar->width() / 2 - Support::Control<QPushButton>(help, "btnOK")->width() / 2);
        }
    }
    QTimer::singleShot(0, [] { if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close(); });
    Help1Click(nullptr, folder.path(".")); // cannot be read
    EXPECT_EQ(prompter.errors.last(), "Help is unavailable");
}

// The program's own help page in the Help window: every entry of its contents leads
// to a heading of the page, and the page covers what the staff need without anyone
// at hand.
TEST(AboutAndHelp, TheHelpPagesContentsLeadToItsSections)
{
    TfrmHelp help;
    help.load(qEnvironmentVariable("TABRIX_TEST_DATA") + "/../docs/index.html");
    help.show();
    QApplication::processEvents();
    EXPECT_EQ(Support::Control<QTextBrowser>(help, "WebBrowser1")->horizontalScrollBar()->maximum(), 0) << "no line wider than the window";
    const QString page = Support::Control<QTextBrowser>(help, "WebBrowser1")->toPlainText();
    for (const char *topic : {"Accn Range", "Printer Setup", "may not have printed", "Reset Accns", "Order_id",
                              "reconciling", "Record > Delete", "Record > Label History", "Export Label History"})
        EXPECT_TRUE(page.contains(topic)) << topic;
    QTextDocument *doc = Support::Control<QTextBrowser>(help, "WebBrowser1")->document();
    QStringList links, anchors;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QTextCharFormat format = f.fragment().charFormat();
            if (format.anchorHref().startsWith('#'))
                links << format.anchorHref().mid(1);
            anchors << format.anchorNames();
        }
    EXPECT_GE(links.size(), 12);
    for (const QString &link : links) {
        EXPECT_TRUE(anchors.contains(link)) << qPrintable(link);
        // following it scrolls the page to the section
        Support::Control<QTextBrowser>(help, "WebBrowser1")->verticalScrollBar()->setValue(0);
        Support::Control<QTextBrowser>(help, "WebBrowser1")->scrollToAnchor(link);
        if (link != links.first())
            EXPECT_GT(Support::Control<QTextBrowser>(help, "WebBrowser1")->verticalScrollBar()->value(), 0) << qPrintable(link);
    }
}

TEST(AboutAndHelp, PreferencesRefreshTheStationAndTheTemplateEvenOnCancel)
{
    Support::ProgramFolder folder;
    folder.createRegister();
    Support::RecordingPrompter prompter;
    TfrmMain main(folder.station);
    main.store().Connect(folder.path("tabrix.udl"));
    Support::closeAboutBoxes();
    main.show();
    QTest::qWait(50);
    EXPECT_TRUE(main.HTMLDoc().isEmpty());
    folder.writeFile("tabrix.tpd", "N[CR][LF]\r\n");
    Support::Set(folder.station, [](StationSettings &s) { s.StationID = "Renamed"; });
    QTimer::singleShot(0, [] {
        if (auto *o = qobject_cast<TfrmOptions *>(QApplication::activeModalWidget()))
            Support::Control<QPushButton>(*o, "btnCancel")->click();
    });
    Support::Control<QAction>(main, "Preferences1")->trigger();
    EXPECT_EQ(Support::Control<QLabel>(main, "StatusBar1")->text(), "Renamed");
    EXPECT_EQ(main.HTMLDoc(), QStringList{"N[CR][LF]"});
}
