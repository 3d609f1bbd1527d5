#include "base/IniFile.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmMain.h"
#include "editor/ColorScan.h"
#include "editor/ui/TemplateHighlighter.h"
#include "editor/ui/TfrmCodeEditor.h"
#include "labels/preview/LabelPreview.h"
#include "labels/ui/LabelPictures.h"
#include "editor/ui/TfrmGetLabel.h"
#include "labels/Printers.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"

#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace Tabrix;

// What the ledger says of a label of plain text, a printer language the program does not draw.
static const QString &Unverified = LabelJob::SentUnverified;

namespace {

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (QAction *a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}

// The colour the editor shows at a character of its document.
QColor colourAt(QPlainTextEdit *edit, int position)
{
    const QTextBlock block = edit->document()->findBlock(position);
    const int inBlock = position - block.position();
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (inBlock >= r.start && inBlock < r.start + r.length)
            return r.format.foreground().color();
    return QColor(0, 0, 0);
}

} // namespace

TEST(Editor, MenusToolbarAndInsertion)
{
    Support::ProgramFolder folder;
    folder.writeFile("tabrix.tpd", "N[CR][LF]\r\n");
    TfrmCodeEditor editor(folder.station);
    editor.show(); // the text-change handler is attached when the window shows
    EXPECT_EQ(editor.windowTitle(), "Template Editor");
    EXPECT_EQ(editor.text(), "N[CR][LF]\r\n");

    QStringList hints;
    for (QAction *a : Support::Control<QToolBar>(editor, "ToolBar1")->actions())
        hints << (a->isSeparator() ? "|" : a->toolTip());
    EXPECT_EQ(hints, (QStringList{"New", "Open from file", "Save to file", "|", "Cut", "Copy", "Paste", "|", "",
                                  "|", "Add Field", "", "|", "Listen for label"}));
    const QList<QAction *> menus = editor.findChild<QMenuBar *>()->actions();
    EXPECT_EQ(captions(menus[0]->menu()), (QStringList{"&New", "&Open", "&Save", "-", "Test &Print", "-", "&Import", "-", "E&xit"}));
    EXPECT_EQ(captions(menus[1]->menu()), (QStringList{"Cut", "Copy", "Paste", "Select All", "-", "Colorize"}));
    EXPECT_EQ(captions(menus[2]->menu()), (QStringList{"Database", "Character"}));
    EXPECT_EQ(captions(menus[3]->menu()), (QStringList{"Label &Preview", "Check &Layout"}));
    const QStringList groups = {"Accession", "Patient", "Collection Date/Time", "Recieve Date/Time"};
    EXPECT_EQ(captions(Support::Control<QMenu>(editor, "menuFields")), groups + QStringList({"Test Codes", "Station ID"}));
    EXPECT_EQ(captions(menus[2]->menu()->actions()[0]->menu()), groups + QStringList({"Test Code"}));
    EXPECT_EQ(captions(Support::Control<QMenu>(editor, "menuChars")), (QStringList{"Carriage Return", "Line Feed", "CR/LF", "Form Feed", "Tab",
                                                         "Escape", "Null", "-", "<", ">", "[", "]"}));

    // An item replaces the selection, the caret ends after it.
    QTextCursor c = Support::Control<QPlainTextEdit>(editor, "RichEdit1")->textCursor();
    c.setPosition(1);
    c.setPosition(9, QTextCursor::KeepAnchor);
    Support::Control<QPlainTextEdit>(editor, "RichEdit1")->setTextCursor(c);
    EXPECT_TRUE(Support::Control<QAction>(editor, "tbCut")->isEnabled());
    Support::Control<QMenu>(editor, "menuChars")->actions()[2]->trigger(); // CR/LF
    EXPECT_EQ(editor.text(), "N[CR][LF]\r\n");
    Support::Control<QMenu>(editor, "menuFields")->actions()[5]->trigger(); // Station ID
    EXPECT_EQ(editor.text(), "N[CR][LF]<#Field Name=StationID>\r\n");
    EXPECT_EQ(Support::Control<QPlainTextEdit>(editor, "RichEdit1")->textCursor().position(), 1 + 8 + 23);
    EXPECT_FALSE(Support::Control<QAction>(editor, "tbCopy")->isEnabled());

    Support::Control<QPlainTextEdit>(editor, "RichEdit1")->clear();
    EXPECT_FALSE(Support::Control<QAction>(editor, "tbNew")->isEnabled());
    EXPECT_FALSE(Support::Control<QAction>(editor, "Save1")->isEnabled());
}

TEST(Editor, ColoursFollowTheScanAndKeepTheSelection)
{
    Support::ProgramFolder folder;
    TfrmCodeEditor editor(folder.station);
    Support::closeAboutBoxes();
    editor.show();
    QApplication::processEvents();
    Support::Control<QPlainTextEdit>(editor, "RichEdit1")->setFocus();
    const QString typed = "// label\nT1 <#Field Name=\"A>B\"> [CR][LF]\n[\"]\"] a/b <x // y> \"q\nz\"\n<open";
    QTest::keyClicks(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), QString(typed).replace(u'\n', u'\r'));
    QApplication::processEvents();
    ASSERT_EQ(editor.text(), QString(typed).replace("\n", "\r\n"));

    QTextCursor sel = Support::Control<QPlainTextEdit>(editor, "RichEdit1")->textCursor();
    sel.setPosition(3);
    sel.setPosition(12, QTextCursor::KeepAnchor);
    Support::Control<QPlainTextEdit>(editor, "RichEdit1")->setTextCursor(sel);
    QTest::keyClick(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), Qt::Key_Shift); // a key that changes nothing

    // Every character has the colour of the span the scan puts it in, or black.
    const QString withCrLf = editor.text();
    QList<QColor> expected(withCrLf.size(), QColor(0, 0, 0));
    for (const TColorSpan &s : ScanColorSpans(withCrLf))
        for (int i = s.Start; i < s.Start + s.Length; ++i)
            expected[i] = TemplateHighlighter::colorOf(s.Kind);
    int position = 0;
    for (int i = 0; i < withCrLf.size(); ++i) {
        if (withCrLf[i] == u'\r')
            continue; // CR LF is one line break in the document
        if (withCrLf[i] != u'\n')
            EXPECT_EQ(colourAt(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), position), expected[i]) << i << " " << withCrLf[i].toLatin1();
        ++position;
    }
    EXPECT_EQ(Support::Control<QPlainTextEdit>(editor, "RichEdit1")->textCursor().selectionStart(), 3);
    EXPECT_EQ(Support::Control<QPlainTextEdit>(editor, "RichEdit1")->textCursor().selectionEnd(), 12);

    Support::Control<QAction>(editor, "Colorize1")->trigger(); // off: all black
    EXPECT_EQ(colourAt(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), 0), QColor(0, 0, 0));
    Support::Control<QAction>(editor, "Colorize1")->trigger(); // on again: coloured at once
    EXPECT_EQ(colourAt(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), 0), QColor(128, 0, 128));
}

TEST(Editor, OkSavesCancelAsksAndTheColouringChoiceIsKept)
{
    Support::ProgramFolder folder;
    folder.createRegister();
    folder.writeFile("tabrix.tpd", "OLD\r\n");
    Support::RecordingPrompter prompter;
    {
        TfrmCodeEditor editor(folder.station);
        Support::Control<QAction>(editor, "Colorize1")->trigger(); // off
        prompter.answers = {false};
        editor.reject(); // Escape
        EXPECT_EQ(prompter.questions.last(), "Disregard changes");
        EXPECT_EQ(editor.result(), QDialog::Rejected);
        editor.setText("NEW");
        prompter.answers = {true};
        Support::Control<QPushButton>(editor, "btnCancel")->click();
        EXPECT_EQ(folder.readFile("tabrix.tpd"), "OLD\r\n");
    }
    EXPECT_EQ(IniFile::ReadString(folder.station.files().SettingsFile, "Defaults", "Colorize", ""), "0");

    // A printer definition that cannot be written keeps the editor open.
    QFile::setPermissions(folder.path("tabrix.tpd"), QFileDevice::ReadOwner);
    {
        TfrmCodeEditor editor(folder.station);
        EXPECT_FALSE(editor.colorize());
        editor.setText("NEW\r\n");
        Support::Control<QPushButton>(editor, "btnOK")->click();
        EXPECT_EQ(prompter.errors.last(), "Error saving print template");
        EXPECT_EQ(editor.result(), 0);
    }
    QFile::setPermissions(folder.path("tabrix.tpd"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // OK with an empty text writes an empty file; the main window then has no template.
    TfrmMain main(folder.station);
    main.store().Connect(folder.path("tabrix.udl"));
    QTimer::singleShot(0, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *editor = qobject_cast<TfrmCodeEditor *>(w); editor && editor->isVisible()) {
                Support::Control<QPlainTextEdit>(*editor, "RichEdit1")->clear();
                Support::Control<QPushButton>(*editor, "btnOK")->click();
            }
    });
    Support::Control<QAction>(main, "PrinterTemplate1")->trigger();
    EXPECT_EQ(folder.readFile("tabrix.tpd"), "");
    EXPECT_TRUE(main.HTMLDoc().isEmpty());
    main.tbPrintClick();
    EXPECT_EQ(prompter.errors.last(), "No print template available");
}

TEST(Editor, TestPrintSendsTheSampleLabelAndRecordsIt)
{
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    folder.createRegister();
    RecordStore store{folder.station};
    store.Connect(folder.path("tabrix.udl"));
    Printers::SetCurrentPrinter(QString());
    Support::Set(folder.station, [](StationSettings &s) { s.PrinterWait = 0; });
    TfrmCodeEditor editor(folder.station, nullptr, store.tblPatients.database());
    const QStringList before = Support::SpoolerJobs();
    editor.setText("A<#Field Name=AccnStr>[CR][LF]// comment\r\nB <#Field Name=Nothing Length=3> x//y\r\n");
    Support::Control<QAction>(editor, "tbTestPrint")->trigger();
    EXPECT_TRUE(prompter.errors.isEmpty());
    const QByteArray job = Support::CapturedJobs(before, 1).value(0);
    EXPECT_EQ(job, "AX12345\r\nB NOT x");
    EXPECT_EQ(editor.text(), "A<#Field Name=AccnStr>[CR][LF]// comment\r\nB <#Field Name=Nothing Length=3> x//y\r\n");

    Printers::SetCurrentPrinter("no-such-queue");
    Support::Control<QAction>(editor, "tbTestPrint")->trigger();
    const QString refused = "Unable to print.  StartRawPrintJob failed. Printer: no-such-queue. The print spooler says: There "
                            "is no such printer.";
    EXPECT_EQ(prompter.errors, (QStringList{refused, "Error printing label"}));
    Printers::SetCurrentPrinter(QString());

    // Both test labels are in the ledger, with no patient, accession number or test.
    const QString digest = QString::fromLatin1(QCryptographicHash::hash(job, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(Support::QueryRows(store.tblPatients.database(),
                                 "SELECT Order_id IS NULL AND AccnNum IS NULL, AccnStr, TestCode, Printer, Bytes, Digest, "
                                 "Outcome, Reprint FROM label_log ORDER BY Label_id"),
              (QList<QVariantList>{
                  {1, "", "", Printers::CurrentPrinterName(), int(job.size()), digest, Unverified, 0},
                  {1, "", "", "no-such-queue", int(job.size()), digest, refused, 0}}));
}

namespace {

// A sender in a process of its own, writing with bash's /dev/tcp.
struct Sender {
    QProcess process;
    explicit Sender(const QString &script)
    {
        process.start("bash", {"-c", "exec 3<>/dev/tcp/127.0.0.1/8999; " + script});
    }
    ~Sender() { process.waitForFinished(10000); }
};

bool waitFor(const std::function<bool()> &done, int ms = 10000)
{
    for (int i = 0; i < ms / 10 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

} // namespace

TEST(Editor, ThePreviewPaneDrawsTheTestLabelAsTypedAndIsRemembered)
{
    Support::ProgramFolder folder;
    folder.writeFile("tabrix.tpd", "^XA^FO10,10^A0N,30,30^FD<#Field Name=AccnStr>^FS^XZ\r\n");
    const auto shown = [](const LabelPictures *pane) {
        for (const QLabel *l : pane->findChildren<QLabel *>())
            if (!l->pixmap().isNull())
                return l->pixmap().toImage().convertToFormat(QImage::Format_Grayscale8);
        return QImage();
    };
    {
        TfrmCodeEditor editor(folder.station);
        editor.show();
        auto *pane = Support::Control<LabelPictures>(editor, "LabelPictures");
        EXPECT_FALSE(pane->isVisible());
        Support::Control<QAction>(editor, "LabelPreview1")->trigger();
        EXPECT_TRUE(pane->isVisible());
        ASSERT_TRUE(waitFor([&] { return pane->pictureCount() == 1; }, 5000));
        // the bytes the test print sends, with the sample accession number
        EXPECT_EQ(shown(pane), RenderLabels("^XA^FO10,10^A0N,30,30^FDX12345^FS^XZ").labels[0].image);
        EXPECT_TRUE(pane->texts().contains("Test label, from the sample values"));

        Support::Control<QPlainTextEdit>(editor, "RichEdit1")->moveCursor(QTextCursor::End);
        QTest::keyClicks(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), "^XA^FO5,5^GB20,20,20^FS^QQ^XZ");
        EXPECT_EQ(pane->pictureCount(), 1); // the keys never wait for the picture
        EXPECT_TRUE(waitFor([&] { return pane->pictureCount() == 2; }, 5000));
        EXPECT_TRUE(pane->texts().contains("not shown: ^QQ"));
        // The verdict of the check before a print, under each picture with barcodes.
        Support::Control<QPlainTextEdit>(editor, "RichEdit1")->selectAll();
        QTest::keyClicks(Support::Control<QPlainTextEdit>(editor, "RichEdit1"),
                         "^XA^FO20,10^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS^FO300,100^BCN,80,N^FDX1^FS^XZ");
        EXPECT_TRUE(waitFor([&] { return pane->texts().contains("the barcode of field 2 does not read"); }, 5000));
        EXPECT_EQ(pane->texts(), "Test label, from the sample values\n"
                                 "the barcode of field 2 does not read: it runs past the label's right edge");
        Support::Control<QPlainTextEdit>(editor, "RichEdit1")->selectAll();
        QTest::keyClicks(Support::Control<QPlainTextEdit>(editor, "RichEdit1"),
                         "^XA^FO20,10^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS^XZ");
        EXPECT_TRUE(waitFor([&] { return pane->texts().contains("every barcode reads back"); }, 5000));
        Support::Control<QPlainTextEdit>(editor, "RichEdit1")->selectAll();
        QTest::keyClicks(Support::Control<QPlainTextEdit>(editor, "RichEdit1"), "N");
        EXPECT_TRUE(waitFor([&] { return pane->pictureCount() == 0; }, 5000));
        EXPECT_EQ(pane->texts(), "This printer language cannot be previewed");
        Support::Control<QPushButton>(editor, "btnCancel")->click();
    }
    EXPECT_TRUE(folder.readFile("tabrix.ini").contains("LabelPreview=1"));
    TfrmCodeEditor again(folder.station);
    again.show();
    EXPECT_TRUE(Support::Control<LabelPictures>(again, "LabelPictures")->isVisible());
    EXPECT_TRUE(Support::Control<QAction>(again, "LabelPreview1")->isChecked());
}

TEST(Editor, CheckLayoutListsWhatTheTestLabelBreaksWithTheStationsLabelStock)
{
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    folder.writeFile("tabrix.tpd", "^XA^PW406^LL203^FO30,20^BY2^BCN,50,N^FD<#Field Name=AccnStr>^FS^XZ\r\n");
    TfrmCodeEditor editor(folder.station);
    editor.show();
    auto *check = Support::Control<QAction>(editor, "CheckLayout1");
    check->trigger();
    ASSERT_EQ(prompter.informations.size(), 1);
    EXPECT_EQ(prompter.informations[0], "The layout check found one thing on the test label:\n\nshort-bars, field 1: The "
                                        "barcode of field 1 has bars 6.3 mm high (50 dots); the station's analysers need "
                                        "10.0 mm (80 dots).");
    // A station whose stock is 4 x 1 inch, with the barcode's bars made long enough.
    folder.writeFile("tabrix.ini", "[Defaults]\nLabelWidthMm=101.6\n");
    Support::Control<QPlainTextEdit>(editor, "RichEdit1")->setPlainText(
        "^XA^PW812^LL203^FO30,20^BY2^BCN,80,N^FD<#Field Name=AccnStr>^FS^XZ");
    check->trigger();
    EXPECT_EQ(prompter.informations.value(1), "The test label passes every layout check.");
    Support::Control<QPushButton>(editor, "btnCancel")->click();
}

TEST(Capture, LabelsSentOverTcpBecomeTemplateText)
{
    Support::RecordingPrompter prompter;
    TfrmGetLabel capture;
    capture.show();
    ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Listening"; }));
    EXPECT_EQ(Support::Control<QLineEdit>(capture, "ePort")->text(), "8999");
    EXPECT_FALSE(Support::Control<QPushButton>(capture, "btnOK")->isEnabled());
    {
        Sender s("printf '\\x1bA\\r\\n' >&3; exec 3>&-");
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Done"; }));
    }
    EXPECT_EQ(capture.LabelText(), "[ESC]A[CR][LF]\r\n");
    EXPECT_EQ(Support::Control<QLineEdit>(capture, "eBytesRecieved")->text(), "4");
    EXPECT_TRUE(Support::Control<QPushButton>(capture, "btnOK")->isEnabled());

    // A second sender's bytes are converted and added; what was converted stays.
    {
        Sender s("printf 'B' >&3; sleep 0.2; printf 'C[' >&3; sleep 0.2; printf 'D' >&3; exec 3>&-");
        ASSERT_TRUE(waitFor([&] { return capture.LabelText().endsWith("D"); }));
    }
    EXPECT_EQ(capture.LabelText(), "[ESC]A[CR][LF]\r\nBC[\"[\"]D");
    EXPECT_TRUE(prompter.generalErrors.isEmpty());
}

TEST(Capture, CancelDropsTheSenderAndTooMuchIsRefused)
{
    Support::RecordingPrompter prompter;
    {
        TfrmGetLabel capture;
        capture.show();
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Listening"; }));
        Sender s("printf 'X' >&3; sleep 5");
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Reading"; }));
        Support::Control<QPushButton>(capture, "btnCancel")->click();
        EXPECT_EQ(capture.result(), QDialog::Rejected);
        QTcpServer probe; // the port is free again
        EXPECT_TRUE(probe.listen(QHostAddress::AnyIPv4, 8999));
        s.process.kill();
    }
    {
        TfrmGetLabel capture;
        capture.show();
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Listening"; }));
        Sender s("printf 'first' >&3; exec 3>&-");
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Done"; }));
        Sender big("head -c 20971520 /dev/zero >&3 2>/dev/null; exec 3>&-");
        ASSERT_TRUE(waitFor([&] { return !prompter.errors.isEmpty(); }, 20000));
        EXPECT_TRUE(prompter.errors.last().startsWith("The label is too large"));
        EXPECT_LE(capture.LabelText().size(), TfrmGetLabel::MaxCapture);
        EXPECT_TRUE(capture.LabelText().startsWith("first"));
        EXPECT_EQ(Support::Control<QLineEdit>(capture, "eStatus")->text(), "Reading");
        EXPECT_TRUE(Support::Control<QPushButton>(capture, "btnOK")->isEnabled());
    }
    {
        QTcpServer taken;
        ASSERT_TRUE(taken.listen(QHostAddress::AnyIPv4, 8999));
        TfrmGetLabel capture;
        capture.show();
        QApplication::processEvents();
        EXPECT_EQ(Support::Control<QLineEdit>(capture, "eStatus")->text(), "Opening");
        EXPECT_EQ(Support::Control<QLineEdit>(capture, "ePort")->text(), "");
        ASSERT_FALSE(prompter.generalErrors.isEmpty());
        EXPECT_TRUE(prompter.generalErrors.last().startsWith("Windows socket error: ")) << qPrintable(prompter.generalErrors.last());
        EXPECT_TRUE(prompter.generalErrors.last().endsWith("on API 'bind'"));
    }
}

namespace {
// The peak memory of this process, in bytes.
qint64 peakMemory()
{
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}
} // namespace

TEST(Capture, EmptyConnectionsAfterACaptureLeaveItAsItWas)
{
    // Forty empty connections after a capture: each close converts what it
    // received, which is nothing, so the text never grows.
    Support::RecordingPrompter prompter;
    TfrmGetLabel capture;
    capture.show();
    ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(capture, "eStatus")->text() == "Listening"; }));
    Sender s("printf '[' >&3; exec 3>&-; for i in $(seq 40); do exec 3<>/dev/tcp/127.0.0.1/8999; exec 3>&-; done");
    ASSERT_TRUE(waitFor([&] { return s.process.state() == QProcess::NotRunning; }, 60000));
    QTest::qWait(300); // the last closes arrive
    EXPECT_EQ(capture.LabelText(), "[\"[\"]");
    EXPECT_TRUE(prompter.errors.isEmpty());
    EXPECT_EQ(Support::Control<QLineEdit>(capture, "eStatus")->text(), "Done");
    EXPECT_TRUE(Support::Control<QPushButton>(capture, "btnOK")->isEnabled());
    EXPECT_LT(peakMemory(), 200 * 1024 * 1024);
}

TEST(Capture, ReturnAfterDoneTakesTheCaptureIntoTheEditor)
{
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    prompter.answers = {true}; // "Replace current contents?"
    TfrmCodeEditor editor(folder.station);
    editor.show();
    QString shownAddresses;
    QTimer::singleShot(0, [&] {
        auto *capture = qobject_cast<TfrmGetLabel *>(QApplication::activeModalWidget());
        ASSERT_NE(capture, nullptr);
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(*capture, "eStatus")->text() == "Listening"; }));
        shownAddresses = Support::Control<QLineEdit>(*capture, "eIPAddress")->text();
        Sender s("printf '\\x1bA\\r\\n' >&3; exec 3>&-");
        ASSERT_TRUE(waitFor([&] { return Support::Control<QLineEdit>(*capture, "eStatus")->text() == "Done"; }));
        QTest::keyClick(capture, Qt::Key_Return);
    });
    Support::Control<QAction>(editor, "tbListen")->trigger();
    EXPECT_EQ(editor.text(), "[ESC]A[CR][LF]\r\n");

    // The addresses a sender can reach: the loopback one only when there is no other.
    bool other = false;
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        other |= a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback();
    EXPECT_FALSE(shownAddresses.isEmpty());
    EXPECT_EQ(shownAddresses.contains("127."), !other) << qPrintable(shownAddresses);
}
