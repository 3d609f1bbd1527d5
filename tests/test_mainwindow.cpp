#include "base/IniFile.h"
#include "app/ui/Startup.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmAbout.h"
#include "app/ui/TfrmMain.h"
#include "app/ui/TfrmSplash.h"
#include "labels/LabelLedger.h"
#include "labels/Printers.h"
#include "labels/preview/LabelPreview.h"
#include "labels/ui/LabelPictures.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"
#include "register/ui/EntryPanel.h"
#include "tests/WindowSupport.h"
#include "tests/MainWindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QScreen>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenuBar>
#include <QTableView>
#include <QStatusBar>
#include <QTimer>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace Tabrix;

using Support::closeAboutBoxes;

TEST(MainWindow, HasItsCaptionToolbarMenusAndFields)
{
    Support::ProgramFolder folder;
    TfrmMain main(folder.station);
    main.setWindowTitle(TfrmMain::Caption);
    EXPECT_EQ(main.windowTitle(), "Vantrel Tabrix");
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main.windowFlags() & Qt::WindowMinimizeButtonHint);

    struct Button { QAction *action; const char *hint; bool enabled; };
    const Button buttons[] = {
        {Support::Control<QAction>(main, "tbNew"), "New Patient", true}, {Support::Control<QAction>(main, "tbCancel"), "Cancel Changes", false},
        {Support::Control<QAction>(main, "tbSave"), "Save Changes", false}, {Support::Control<QAction>(main, "tbPrint"), "Print Label", true},
        {Support::Control<QAction>(main, "tbPrev"), "Previous Record", false}, {Support::Control<QAction>(main, "tbNext"), "Next Record", false},
    };
    QList<QAction *> onBar;
    for (QAction *a : Support::Control<QToolBar>(main, "ToolBar1")->actions())
        if (!a->isSeparator())
            onBar << a;
    ASSERT_EQ(onBar.size(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(buttons[i].hint);
        EXPECT_EQ(onBar[i], buttons[i].action);
        EXPECT_EQ(buttons[i].action->text(), buttons[i].hint);
        EXPECT_EQ(buttons[i].action->isEnabled(), buttons[i].enabled);
    }

    QStringList menu;
    for (QAction *top : main.menuBar()->actions()) {
        menu << top->text();
        for (QAction *item : top->menu()->actions())
            menu << (item->isSeparator() ? QString("-") : "  " + item->text() + " " + item->shortcut().toString());
    }
    EXPECT_EQ(menu, (QStringList{
        "&File", "  Printer &Setup ", "  &Export ", "  Export &Label History ", "  Sen&d to LIS ",
        "  Export &for LIS (FHIR) ", "  Export &Audit Trail ", "-", "  E&xit ",
        "&Edit", "  Preferences ", "  Printer Template ", "-", "  Reset Accns ",
        "Record", "  New F5", "  Cancel F6", "  Save F7", "  Print F8", "-", "  Delete ", "-", "  Previous ", "  Next ",
        "-", "  Preview Labels ", "  Label History ", "  Find\u2026 Ctrl+F", "  Record History ",
        "&View", "  Patient Log ",
        "&About", "  &Help ", "  &Web Help and Updates ", "-", "  &About "}));

    struct Field { QWidget *control; int tag; const char *label; int maxLength; bool upper; };
    const Field fields[] = {
        {Support::Control(main, "dbeLast"), 1100, "Last Name: ", 20, true}, {Support::Control(main, "dbeFirst"), 1101, "First Name:", 20, true},
        {Support::Control<QComboBox>(main, "dbcGender"), 1102, "Gender:", 0, false}, {Support::Control(main, "DBEPatient_id"), 1103, "ID:", 20, true},
        {Support::Control(main, "dbeDOB"), 1104, "DOB:", 10, true}, {Support::Control(main, "dbeLocation"), 1105, "Location:", 20, true},
        {Support::Control(main, "DBECollectionDate"), 1106, "Collection Date", 32767, false},
        {Support::Control(main, "DBECollectionTime"), 1107, "Collection Time:", 32767, false},
        {Support::Control(main, "DBERecieveDate"), 1108, "Receive Date:", 32767, false},
        {Support::Control(main, "DBERecieveTime"), 1109, "Receive Time:", 32767, false},
        {Support::Control(main, "eTestCode"), 1110, "Tests:", 40, true},
    };
    QWidget *previous = nullptr;
    for (const Field &f : fields) {
        SCOPED_TRACE(f.label);
        EXPECT_EQ(main.entryPanel().ringIndex(f.control), f.tag - 1100); // its place in the keyboard ring
        if (previous) {
            QWidget *next = previous->nextInFocusChain();
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            EXPECT_EQ(next, f.control);
        }
        previous = f.control;
        bool labelled = false;
        for (QLabel *l : main.findChildren<QLabel *>())
            labelled |= l->text() == f.label;
        EXPECT_TRUE(labelled);
        if (auto *edit = qobject_cast<QLineEdit *>(f.control)) {
            EXPECT_EQ(edit->maxLength(), f.maxLength);
            QString typed = "ab1c";
            int pos = 0;
            if (edit->validator())
                edit->validator()->validate(typed, pos);
            EXPECT_EQ(typed, f.upper ? "AB1C" : "ab1c");
        }
    }
    EXPECT_EQ(Support::Control<QComboBox>(main, "dbcGender")->count(), 2);
    EXPECT_EQ(Support::Control<QTableView>(main, "DBGrid1")->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(main.exportDir(), folder.station.files().ProgramDir);
}

TEST(MainWindow, BannerPictureAndAddressFollowTheSettings)
{
    struct Case { const char *name; bool picture; const char *url; QString expected; };
    const Case cases[] = {
        {"missing picture keeps the default", false, "https://lab.example/", TabrixDefs::DefaultHelpURL},
        {"picture without address", true, "", TabrixDefs::DefaultHelpURL},
        {"picture with address", true, "https://lab.example/", "https://lab.example/"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Support::ProgramFolder folder;
        const QString picture = folder.path("banner.bmp");
        if (c.picture)
            QPixmap(10, 10).save(picture, "BMP");
        folder.writeFile("tabrix.ini", "[Banner]\nPath=" + picture.toUtf8() + "\nURL=" + c.url + "\n");
        TfrmMain main(folder.station);
        EXPECT_EQ(main.helpURL(), c.expected);
    }
}

// The box round the yellow letters of the program's name in a picture of the header band.
QRect nameLetters(const QImage &band)
{
    QRect box;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width() / 2; ++x)
            if (const QColor c = band.pixelColor(x, y); c.red() > 140 && c.green() > 140 && c.blue() < 110)
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Splash, ItsHeaderBandShowsTheLettersAtTheirNaturalProportions)
{
    TfrmSplash splash;
    const QImage shown = splash.grab().toImage();
    const QRect splashName = nameLetters(shown.copy(0, 0, 248, 32));
    Support::ProgramFolder folder;
    const QRect mainName = nameLetters(Support::Control<QLabel>(TfrmMain(folder.station), "imgHeader")->pixmap().toImage());
    ASSERT_FALSE(splashName.isEmpty());
    ASSERT_FALSE(mainName.isEmpty());
    const double splashShape = double(splashName.width()) / splashName.height();
    const double mainShape = double(mainName.width()) / mainName.height();
    EXPECT_NEAR(splashShape / mainShape, 1.0, 0.1) << splashShape << " against " << mainShape;
    EXPECT_LE(splashName.right(), 124); // and within the strip's left half
}

TEST(MainWindow, PreviewLabelsPrintsWhatItShowsAndTheLabelHistoryListsAndExportsIt)
{
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    folder.createRegister();
    folder.writeFile("tabrix.tpd", "^XA^FO10,10^A0N,30,30^FD<#Field Name=AccnStr> <#Field Name=TestCode>^FS^XZ\r\n");
    {
        RecordStore writer{folder.station};
        writer.Connect(folder.path("tabrix.udl"));
        Support::AddPatient(writer,
                            {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))},
                             {"Last_Name", "PINDLE"}, {"First_Name", "OSKA"}},
                            {"CBC", "TSH"});
    }
    Support::Set(folder.station, [](StationSettings &s) { s.PrinterWait = 0; });
    Printers::SetCurrentPrinter(QString());
    TfrmMain main(folder.station);
    main.store().Connect(folder.path("tabrix.udl"));
    main.LoadTemplate();
    main.store().tblTests.Next(); // the test list on its second row
    int pictures = 0;
    QString texts;
    QImage first;
    const auto look = [&](bool print) {
        QTimer::singleShot(0, [&, print] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->windowTitle(), "Preview Labels");
            const auto *pane = dialog->findChild<LabelPictures *>();
            pictures = pane->pictureCount();
            texts = pane->texts();
            for (const QLabel *l : pane->findChildren<QLabel *>())
                if (!l->pixmap().isNull() && first.isNull())
                    first = l->pixmap().toImage().convertToFormat(QImage::Format_Grayscale8);
            if (print)
                dialog->findChild<QPushButton *>("btnPrint")->click();
            else
                QTest::keyClick(dialog, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->done(-1); // never left open, whatever went wrong
        });
        Support::Control<QAction>(main, "PreviewLabels1")->trigger();
    };
    const QStringList before = Support::SpoolerJobs();
    look(false); // Return only closes
    EXPECT_EQ(pictures, 2);
    EXPECT_EQ(texts, "X12345, test CBC\nX12345, test TSH");
    EXPECT_EQ(first, RenderLabels("^XA^FO10,10^A0N,30,30^FDX12345 CBC^FS^XZ").labels[0].image);
    EXPECT_EQ(main.store().tblTests.asString("TestCode"), "TSH"); // the list stays where it was
    EXPECT_EQ(Support::SpoolerJobs(), before);
    look(true); // Print: the print run, as Print
    EXPECT_EQ(Support::CapturedJobs(before, 2), (QList<QByteArray>{"^XA^FO10,10^A0N,30,30^FDX12345 CBC^FS^XZ",
                                                                   "^XA^FO10,10^A0N,30,30^FDX12345 TSH^FS^XZ"}));
    EXPECT_TRUE(prompter.errors.isEmpty()) << qPrintable(prompter.errors.join('|'));

    // Record > Label History lists both labels; the switch shows the whole register.
    LabelLedger(main.store().database()).open({99, 100099999, "X99999", "BMP", "another station's label"});
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        const auto *grid = dialog->findChild<QTableView *>("grdLabels");
        const auto listed = [&] {
            QStringList rows;
            for (int r = 0; r < grid->model()->rowCount(); ++r)
                rows << grid->model()->index(r, 1).data().toString() + " " + grid->model()->index(r, 2).data().toString() +
                            " " + grid->model()->index(r, 3).data().toString();
            return rows.join(", ");
        };
        seen << dialog->windowTitle() << listed();
        dialog->findChild<QCheckBox *>("cbWholeRegister")->click();
        seen << listed();
        QTest::keyClick(dialog, Qt::Key_Return);
        if (dialog->isVisible())
            dialog->done(-1);
    });
    Support::Control<QAction>(main, "LabelHistory1")->trigger();
    EXPECT_EQ(seen, (QStringList{"Label History", "X12345 TSH first, X12345 CBC first",
                                  "X99999 BMP first, X12345 TSH first, X12345 CBC first"}));

    // File > Export Label History: the file chosen gets every row, oldest first.
    const QString csv = folder.path("history.csv");
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->selectFile(csv);
        static_cast<QDialog *>(dialog)->accept(); // Save, as the button does
    });
    Support::Control<QAction>(main, "ExportLabelHistory1")->trigger();
    const QList<QByteArray> lines = folder.readFile("history.csv").split('\n');
    ASSERT_EQ(lines.size(), 5) << folder.readFile("history.csv").constData(); // the header, three rows, the end
    EXPECT_TRUE(lines[1].contains(",X12345,CBC,") && lines[2].contains(",X12345,TSH,") && lines[3].contains(",X99999,BMP,"));
    EXPECT_EQ(prompter.informations, QStringList{"The label history is in " + csv});

    // File > Export: after "Export complete" the status bar names the file.
    const QString txt = folder.path("register.txt");
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->selectFile(txt);
        static_cast<QDialog *>(dialog)->accept();
    });
    Support::Control<QAction>(main, "Export1")->trigger();
    EXPECT_EQ(prompter.informations.last(), "Export complete");
    EXPECT_TRUE(folder.readFile("register.txt").contains("X12345"));
    EXPECT_EQ(main.statusBar()->currentMessage(), "Exported to " + txt);
}

TEST(MainWindow, ClosingInTheNormalStateWritesThePosition)
{
    // A stored place is used as it stands, unless it lies off every screen: then the
    // window comes back into view. Either way, closing writes the place it had.
    struct Case { int top, left; bool asStored; };
    const Case cases[] = {{40, 30, true}, {5000, 5000, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.top);
        Support::ProgramFolder folder;
        folder.createRegister();
        folder.writeFile("tabrix.ini", QString("[Window]\nTop=%1\nLeft=%2\n").arg(c.top).arg(c.left).toUtf8());
        TfrmMain main(folder.station);
        main.store().Connect(folder.path("tabrix.udl"));
        closeAboutBoxes();
        main.show();
        QApplication::processEvents();
        if (c.asStored)
            EXPECT_EQ(main.frameGeometry().topLeft(), QPoint(c.left, c.top));
        else
            EXPECT_TRUE(main.screen()->availableGeometry().contains(main.frameGeometry()));
        main.close();
        EXPECT_FALSE(main.store().connected());
        const QRect outer = main.frameGeometry();
        EXPECT_EQ(folder.readFile("tabrix.ini"), QString("[Window]\nTop=%1\nLeft=%2\nWidth=%3\nHeight=%4\n")
                                                     .arg(outer.top())
                                                     .arg(outer.left())
                                                     .arg(outer.width())
                                                     .arg(outer.height())
                                                     .toUtf8());
    }
}

TEST(MainWindow, ClosingMinimisedWritesNothing)
{
    Support::ProgramFolder folder;
    TfrmMain main(folder.station);
    closeAboutBoxes();
    main.show();
    QApplication::processEvents();
    main.setWindowState(Qt::WindowMinimized);
    main.close();
    EXPECT_TRUE(folder.readFile("tabrix.ini").isEmpty());
}

TEST(Startup, ARegisterThatCannotOpenEndsTheProgramWithoutSavingThePosition)
{
    struct Case { const char *name; QByteArray udl; const char *detail; };
    const Case cases[] = {
        {"no data link file", QByteArray(), "does not exist"},
        {"broken data link file", "Provider=Nothing", "unknown provider"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Support::ProgramFolder folder;
        folder.writeFile("tabrix.ini", "[Defaults]\nShowSplash=0\n");
        if (!c.udl.isNull())
            folder.writeFile("tabrix.udl", c.udl);
        Support::RecordingPrompter prompter;
        EXPECT_EQ(RunTabrix(*qApp, prompter, folder.programFile()), 1);
        ASSERT_EQ(prompter.errors.size(), 1);
        EXPECT_TRUE(prompter.errors[0].startsWith("Database Error:  ")) << qPrintable(prompter.errors[0]);
        EXPECT_TRUE(prompter.errors[0].contains(c.detail)) << qPrintable(prompter.errors[0]);
        EXPECT_EQ(folder.readFile("tabrix.ini"), "[Defaults]\nShowSplash=0\n");
    }
}

TEST(Startup, ASettingsFileSavedAsUtf16EndsTheStartWithWhatToDo)
{
    Support::ProgramFolder folder;
    folder.createRegister();
    const QByteArray utf16("\xFF\xFE[\0R\0a\0n\0g\0e\0s\0]\0", 18);
    folder.writeFile("tabrix.ini", utf16);
    Support::RecordingPrompter prompter;
    EXPECT_EQ(RunTabrix(*qApp, prompter, folder.programFile()), 2);
    ASSERT_EQ(prompter.errors.size(), 1);
    EXPECT_EQ(prompter.errors[0], "Tabrix cannot read its settings file " + folder.path("tabrix.ini") +
                                      ": it is saved as UTF-16 text. Open it in a text editor, save it as UTF-8 (or plain "
                                      "ASCII) text, then start Tabrix again.");
    EXPECT_EQ(folder.readFile("tabrix.ini"), utf16); // untouched
}

// Record > Record History lists the current registration's changes, newest first;
// File > Export Audit Trail writes every row of the trail.
TEST(MainWindow, RecordHistoryAndTheAuditTrailsExport)
{
    Support::MainWindowFixture w(1);
    w.patients().Edit();
    w.patients().setValue("Location", "ICU");
    ASSERT_TRUE(w.main->lifecycle().TryPost());
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        const auto *grid = dialog->findChild<QTableView *>("grdChanges");
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            seen << grid->model()->index(r, 1).data().toString() + " " + grid->model()->index(r, 3).data().toString();
        dialog->reject();
    });
    Support::Control<QAction>(*w.main, "RecordHistory1")->trigger();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "change Location: W1 -> ICU");
    EXPECT_TRUE(seen[1].startsWith("new AccnNum: 100012345; AccnStr: X12345; ")) << qPrintable(seen[1]);

    const QString csv = w.folder.path("trail.csv");
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->selectFile(csv);
        static_cast<QDialog *>(dialog)->accept();
    });
    Support::Control<QAction>(*w.main, "ExportAuditTrail1")->trigger();
    // Records end in CR LF; a new registration's details keep their own line breaks, quoted.
    const QList<QByteArray> records = w.folder.readFile("trail.csv").split('\r');
    ASSERT_EQ(records.size(), 4) << w.folder.readFile("trail.csv").constData(); // the header, two rows, the end
    EXPECT_EQ(records[0], "Audit_id,Station,Seq,Logged,OsUser,Version,Action,Order_id,AccnStr,Details,Previous,Digest");
    EXPECT_TRUE(records[1].contains(",new,1,X12345,\"AccnNum: 100012345\nAccnStr: X12345\n")) << records[1].constData();
    EXPECT_TRUE(records[2].contains(",change,1,X12345,Location: W1 -> ICU,")) << records[2].constData();
    EXPECT_EQ(w.prompter.informations.last(), "The audit trail is in " + csv);
}
