#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "app/ui/MessageBoxPrompter.h"
#include "app/ui/TfrmMain.h"
#include "app/ui/TfrmHelp.h"
#include "app/ui/TfrmOptions.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"
#include "tests/MainWindowFixture.h"
#include "labels/LabelFields.h"
#include "labels/PrintRun.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace Tabrix;

using Support::MainWindowFixture;
using Window = MainWindowFixture;
constexpr qint32 Min = MainWindowFixture::Min;

TEST(EntryWindow, AWholeRegistrationTypedWithKeysOnly)
{
    Window w;
    w.key(Qt::Key_F5);
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeLast"));
    EXPECT_EQ(Support::Control<QLabel>(*w.main, "lblAccnStr")->text(), "X12345");
    w.typeAndEnter("pindle");
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeFirst"));
    w.typeAndEnter("oska");
    w.key(Qt::Key_Down); // the list changes its item, the release moves on
    EXPECT_EQ(Support::Control<QComboBox>(*w.main, "dbcGender")->currentText(), "F");
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "DBEPatient_id"));
    w.typeAndEnter("mrn0042");
    w.typeAndEnter("011970");
    w.typeAndEnter("w144");
    w.typeAndEnter("t");
    w.typeAndEnter("-5");
    EXPECT_EQ(Support::Control(*w.main, "DBECollectionTime")->text(), "0955");
    w.typeAndEnter("T");
    w.key(Qt::Key_Return); // receive time as offered: now
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "eTestCode"));
    EXPECT_EQ(w.settings().TAccn.NextNum, Min + 1); // reaching the test codes saved the record
    w.typeAndEnter("cbc");
    w.typeAndEnter("bmp,cmp");
    EXPECT_EQ(Support::Control<QTableView>(*w.main, "DBGrid1")->model()->rowCount(), 2);
    w.key(Qt::Key_Return);

    EXPECT_EQ(w.prompter.errors, QStringList{"No print template available"});
    EXPECT_EQ(w.count("select count(*) from patients where Last_Name = 'PINDLE' and First_Name = 'OSKA' "
                      "and Gender = 'F' and Patient_id = 'MRN0042' and DOB = '01/19/1970' and Location = 'W144' "
                      "and Collection_date = '06/15/2026' and Collection_Time = '0955' "
                      "and Recieve_date = '06/15/2026' and Recieve_Time = '1000' and AccnStr = 'X12345'"),
              1);
    EXPECT_EQ(w.count("select count(*) from tests t join patients p on p.Order_id = t.Order_id "
                      "where t.TestCode in ('CBC', 'BMP,CMP')"),
              2);
    EXPECT_EQ(w.patients().state(), Cursor::State::Insert);
    EXPECT_EQ(w.patients().asInteger("AccnNum"), Min + 1);
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeLast"));
}

TEST(EntryWindow, EachCheckShowsItsMessageAndFocusesItsBox)
{
    Window w;
    struct Case { const char *column; const char *value; const char *message; };
    const Case cases[] = {
        {"Last_Name", "  ", "Please provide a last name"},
        {"First_Name", "", "Please provide a first name"},
        {"Patient_id", " ", "Please provide a patient id"},
        {"DOB", "12", "DOB is not a valid date"},
        {"DOB", "10:30", "DOB is not a valid date"},
        {"Location", "", "Please provide a location"},
        {"Collection_date", "13/01/2000", "Collection date is not a valid date"},
        {"Collection_Time", "930", "Collection time is not a valid time"},
        {"Recieve_date", "TX", "Recieve date is not a valid date"},
        {"Recieve_Time", "2460", "Recieve time is not a valid time"},
        {"DOB", "06/16/2026", "DOB cannot be a future date"},
        {"Recieve_Time", "1001", "Recieve date cannot be a future date"},
        {"Collection_Time", "1000", "Collection date must be before the recieve date."},
    };
    const std::map<QString, QWidget *> boxes = {
        {"Last_Name", Support::Control(*w.main, "dbeLast")}, {"First_Name", Support::Control(*w.main, "dbeFirst")}, {"Patient_id", Support::Control(*w.main, "DBEPatient_id")},
        {"DOB", Support::Control(*w.main, "dbeDOB")}, {"Location", Support::Control(*w.main, "dbeLocation")}, {"Collection_date", Support::Control(*w.main, "DBECollectionDate")},
        {"Collection_Time", Support::Control(*w.main, "DBECollectionDate")}, {"Recieve_date", Support::Control(*w.main, "DBERecieveDate")},
        {"Recieve_Time", Support::Control(*w.main, "DBERecieveDate")}};
    const std::map<QString, QWidget *> timeBoxes = {{"Collection time is not a valid time", Support::Control(*w.main, "DBECollectionTime")},
                                                    {"Recieve time is not a valid time", Support::Control(*w.main, "DBERecieveTime")}};
    w.main->lifecycle().tbNewClick();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        w.fillValid("PINDLE");
        w.patients().setValue(c.column, c.value);
        Support::Control(*w.main, "eTestCode")->setFocus();
        QApplication::processEvents();
        EXPECT_FALSE(w.main->lifecycle().TryPost());
        EXPECT_EQ(w.prompter.errors.last(), c.message);
        QWidget *expected = timeBoxes.count(c.message) ? timeBoxes.at(c.message) : boxes.at(c.column);
        EXPECT_EQ(w.focus(), expected);
        if (auto *edit = qobject_cast<QLineEdit *>(expected))
            EXPECT_EQ(edit->selectedText(), edit->text());
        EXPECT_EQ(w.patients().state(), Cursor::State::Insert);
    }
    // Today's birthday is no future date.
    w.fillValid("PINDLE");
    w.patients().setValue("DOB", "06/15/2026");
    EXPECT_TRUE(w.main->lifecycle().TryPost());
}

TEST(EntryWindow, BrowsingAndRingKeysSaveFirst)
{
    Window w(1);
    // Page Down on a new, invalid record: the first message, and no move.
    w.key(Qt::Key_F5);
    w.key(Qt::Key_PageDown);
    EXPECT_EQ(w.prompter.errors.last(), "Please provide a last name");
    EXPECT_EQ(w.patients().state(), Cursor::State::Insert);
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeLast"));

    // Up in the last-name box goes to the test code box, which saves first.
    w.type("x");
    w.key(Qt::Key_Up);
    EXPECT_EQ(w.prompter.errors.last(), "Please provide a first name");
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeFirst"));

    // T typed into the collection date and F7 at once: the box is completed before the checks.
    w.fillValid("SECOND");
    w.patients().setValue("Collection_date", "06/01/2026");
    Support::Control(*w.main, "DBECollectionDate")->setFocus();
    QApplication::processEvents();
    w.type("T");
    w.key(Qt::Key_F7);
    EXPECT_FALSE(w.patients().editing());
    EXPECT_EQ(w.count("select count(*) from patients where Last_Name = 'SECOND' and Collection_date = '06/15/2026'"), 1);

    // Page Up and Page Down browse whatever the enabled state.
    w.key(Qt::Key_PageUp);
    EXPECT_EQ(w.patients().asString("Last_Name"), "P0");
    w.key(Qt::Key_PageDown);
    EXPECT_EQ(w.patients().asString("Last_Name"), "SECOND");
}

TEST(EntryWindow, RefusedCharactersAreDroppedOnlyWhenTyped)
{
    Window w(1);
    Support::Control(*w.main, "dbeFirst")->setFocus();
    Support::Control(*w.main, "dbeLast")->setFocus(); // entering the box selects its text
    QApplication::processEvents();
    w.type("a#b\\c!d$e");
    EXPECT_EQ(Support::Control(*w.main, "dbeLast")->text(), "ABCDE");
    EXPECT_EQ(w.patients().state(), Cursor::State::Edit);
    w.key(Qt::Key_F6);
    Support::Control(*w.main, "eTestCode")->setFocus();
    QApplication::processEvents();
    w.type("x#y");
    EXPECT_EQ(Support::Control(*w.main, "eTestCode")->text(), "XY");
    w.set([](StationSettings &s) { s.IllegalChars.clear(); });
    Support::Control(*w.main, "dbeFirst")->setFocus();
    QApplication::processEvents();
    w.type("#1");
    EXPECT_EQ(Support::Control(*w.main, "dbeFirst")->text(), "#1");

    QApplication::clipboard()->setText("p#q");
    Support::Control(*w.main, "DBEPatient_id")->setFocus();
    QApplication::processEvents();
    w.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Support::Control(*w.main, "DBEPatient_id")->text(), "P#Q");
}

TEST(EntryWindow, HugePastesAndBadDatesNeverReachTheRegister)
{
    Window w;
    w.key(Qt::Key_F5);
    QApplication::clipboard()->setText(QString(10000, u'9'));
    for (QLineEdit *box : {Support::Control(*w.main, "dbeLast"), Support::Control(*w.main, "dbeFirst"), Support::Control(*w.main, "DBEPatient_id"), Support::Control(*w.main, "dbeDOB"),
                           Support::Control(*w.main, "dbeLocation"), Support::Control(*w.main, "DBECollectionDate"), Support::Control(*w.main, "DBECollectionTime"),
                           Support::Control(*w.main, "DBERecieveDate"), Support::Control(*w.main, "DBERecieveTime")}) {
        box->setFocus();
        QApplication::processEvents();
        w.key(Qt::Key_A, Qt::ControlModifier);
        w.key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text().size(), std::min(10000, box->maxLength()));
    }
    w.key(Qt::Key_F7);
    EXPECT_EQ(w.prompter.errors.last(), "DOB is not a valid date");
    for (const char *bad : {"99/99/9999", "02/30/2024"}) {
        w.fillValid("X");
        w.patients().setValue("Recieve_date", bad);
        w.key(Qt::Key_F7);
        EXPECT_EQ(w.prompter.errors.last(), "Recieve date is not a valid date");
    }
    for (const char *bad : {"2460", "-99999999x"}) {
        w.fillValid("X");
        w.patients().setValue("Recieve_Time", bad);
        w.key(Qt::Key_F7);
        EXPECT_EQ(w.prompter.errors.last(), "Recieve time is not a valid time");
    }
    EXPECT_EQ(w.count("select count(*) from patients"), 0);
}

TEST(EntryWindow, TestsNeedASavedPatientAndAreRemovedFromTheGrid)
{
    Window w;
    Support::Control(*w.main, "eTestCode")->setFocus();
    QApplication::processEvents();
    w.typeAndEnter("cbc");
    EXPECT_TRUE(w.prompter.errors.last().contains("no saved patient record"));
    EXPECT_EQ(Support::Control(*w.main, "eTestCode")->text(), "CBC");
    EXPECT_EQ(w.count("select count(*) from tests"), 0);

    w.main->lifecycle().tbNewClick();
    w.fillValid("PINDLE");
    Support::Control(*w.main, "eTestCode")->setFocus(); // saves the record
    QApplication::processEvents();
    w.typeAndEnter("cbc");
    w.typeAndEnter("  ");   // only blanks: stored as typed
    w.typeAndEnter("tsh");
    EXPECT_EQ(w.count("select count(*) from tests where TestCode = '  '"), 1);
    w.type(QString(45, u'a'));
    EXPECT_EQ(Support::Control(*w.main, "eTestCode")->text(), QString(40, u'A'));

    Support::Control<QTableView>(*w.main, "DBGrid1")->setFocus();
    Support::Control<QTableView>(*w.main, "DBGrid1")->setCurrentIndex(Support::Control<QTableView>(*w.main, "DBGrid1")->model()->index(2, 0));
    w.prompter.answers = {false};
    QTest::keyClick(Support::Control<QTableView>(*w.main, "DBGrid1"), Qt::Key_Up); // any key released asks, for the test it moved to
    EXPECT_EQ(w.prompter.questions.last(), "Delete   ");
    w.prompter.answers = {true};
    QTest::keyClick(Support::Control<QTableView>(*w.main, "DBGrid1"), Qt::Key_Down);
    EXPECT_EQ(w.prompter.questions.last(), "Delete TSH");
    EXPECT_EQ(w.count("select count(*) from tests"), 2);
}

TEST(EntryWindow, CommandsFollowTheRecordState)
{
    Window w(2);
    const QStringList browsingMiddle = {"tbNew", "New1", "tbPrint", "Print1", "tbPrev", "Previous1", "tbNext",
                                        "Next1", "Delete1", "EmptyDatabase1", "Export1", "AccnList1",
                                        "ExportLabelHistory1", "LabelHistory1", "SendToLis1", "ExportForLis1",
                                        "ExportAuditTrail1", "Find1", "RecordHistory1"};
    const QStringList editing = {"tbCancel", "Cancel1", "tbSave", "Save1"};
    w.main->store().Connect(w.folder.path("tabrix.udl"));
    QStringList atFirst = browsingMiddle;
    atFirst.removeAll("tbPrev");
    atFirst.removeAll("Previous1");
    EXPECT_EQ(w.enabled(), atFirst);
    w.key(Qt::Key_F5);
    EXPECT_EQ(w.enabled(), editing);
    w.key(Qt::Key_F8); // Print is disabled while editing: its shortcut does nothing
    EXPECT_TRUE(w.prompter.errors.isEmpty());
    w.key(Qt::Key_F6);
    EXPECT_EQ(w.enabled(), atFirst);
    w.main->lifecycle().tbNextClick();
    EXPECT_EQ(w.enabled(), browsingMiddle);
    Support::Control(*w.main, "dbeLocation")->setFocus();
    QApplication::processEvents();
    w.type("z");
    EXPECT_EQ(w.enabled(), editing);
    w.key(Qt::Key_F6);
    EXPECT_EQ(w.enabled(), browsingMiddle);
}

TEST(EntryWindow, AStrayReturnOnADeletingQuestionDeletesNothing)
{
    Window w(2);
    MessageBoxPrompter boxes; // the real boxes, answered with keys
    installPrompter(&boxes);
    const auto answerWith = [](Qt::Key key) {
        auto *poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll, key] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                QTest::keyClick(box, key);
                poll->deleteLater();
            }
        });
        poll->start(10);
    };
    struct Case { const char *command; Qt::Key key; int rowsAfter; };
    const Case cases[] = {{"Delete1", Qt::Key_Return, 2}, {"EmptyDatabase1", Qt::Key_Return, 2},
                          {"Delete1", Qt::Key_Y, 1}, {"EmptyDatabase1", Qt::Key_Y, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        answerWith(c.key);
        Support::Control<QAction>(*w.main, c.command)->trigger();
        EXPECT_EQ(w.count("select count(*) from patients"), c.rowsAfter);
    }
    installPrompter(&w.prompter);
}

TEST(EntryWindow, TabFromTheTestCodeBoxGoesOnToTheLastName)
{
    Window w(1);
    Support::Control(*w.main, "eTestCode")->setFocus();
    w.key(Qt::Key_Tab);
    EXPECT_EQ(w.focus(), Support::Control(*w.main, "dbeLast"));
}

TEST(EntryWindow, AFirstRunAsksForTheRangeAndUsesItAtOnce)
{
    Window w;
    w.set([](StationSettings &s) { s.TAccn = {0, 0, 0}; }); // no range set yet
    w.key(Qt::Key_F5);
    ASSERT_FALSE(w.prompter.errors.isEmpty());
    EXPECT_TRUE(w.prompter.errors.last().contains("Edit > Preferences > Accn Range")) << qPrintable(w.prompter.errors.last());
    EXPECT_EQ(w.patients().state(), Cursor::State::Browse);

    // The range set in the options dialog applies from the next New on, without a restart.
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (auto *options = qobject_cast<TfrmOptions *>(QApplication::activeModalWidget())) {
            Support::Control<QLineEdit>(*options, "eAccnMin")->setText("X12345");
            Support::Control<QLineEdit>(*options, "eAccnMax")->setText("X20000");
            Support::Control<QPushButton>(*options, "btnOK")->click();
            poll->deleteLater();
        }
    });
    poll->start(10);
    Support::Control<QAction>(*w.main, "Preferences1")->trigger();
    EXPECT_EQ(w.settings().TAccn.MinValue, 100012345);
    w.main->activateWindow(); // back from the dialog
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
    w.key(Qt::Key_F5);
    EXPECT_EQ(Support::Control<QLabel>(*w.main, "lblAccnStr")->text(), "X12345");
    w.fillValid("FIRST");
    EXPECT_TRUE(w.main->lifecycle().TryPost()) << qPrintable(w.prompter.errors.join('|'));
    EXPECT_EQ(w.count("select count(*) from patients where AccnStr = 'X12345'"), 1);
}

TEST(EntryWindow, F1OpensTheHelp)
{
    Window w;
    bool shown = false;
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, &shown] {
        if (auto *help = qobject_cast<TfrmHelp *>(QApplication::activeModalWidget())) {
            shown = true;
            help->reject();
            poll->deleteLater();
        }
    });
    poll->start(10);
    w.key(Qt::Key_F1);
    EXPECT_TRUE(shown);
}

TEST(EntryWindow, WhatIsTypedIsWhatTheRegisterHoldsAndTheLabelPrints)
{
    // Each value typed into its box, in both label forms: the box, the register
    // and the label's bytes agree, or the box refused the character and said so.
    struct Case { const char *box, *column; QString typed; ValueBytes form; QString shown; QByteArray label; const char *refused; };
    const auto u8 = [](const char *s) { return QString::fromUtf8(s); };
    const ValueBytes P = ValueBytes::Printable, U = ValueBytes::Utf8;
    const Case cases[] = {
        {"DBEPatient_id", "Patient_id", "77[94]XZ", P, "77[94]XZ", "77[94]XZ", nullptr},
        {"DBEPatient_id", "Patient_id", "[13][10]", P, "[13][10]", "[13][10]", nullptr},
        {"DBEPatient_id", "Patient_id", "[2]", P, "[2]", "[2]", nullptr},
        {"dbeLast", "Last_Name", u8("müller"), P, "MLLER", "MLLER", "ü (type U instead)"},
        {"dbeFirst", "First_Name", u8("łukasz"), P, "UKASZ", "UKASZ", "ł"},
        {"dbeLast", "Last_Name", u8("weißmann"), P, "WEIMANN", "WEIMANN", "ß"},
        {"DBEPatient_id", "Patient_id", u8("ß123"), P, "123", "123", "ß"},
        {"eTestCode", "TestCode", u8("é-glu"), P, "-GLU", "-GLU", "é (type E instead)"},
        {"DBEPatient_id", "Patient_id", "[13][10]", U, "[13][10]", "[13][10]", nullptr},
        {"dbeLast", "Last_Name", u8("müller"), U, u8("MÜLLER"), "M\xC3\x9CLLER", nullptr},
        {"dbeFirst", "First_Name", u8("łukasz"), U, u8("ŁUKASZ"), "\xC5\x81UKASZ", nullptr},
        {"dbeLast", "Last_Name", u8("weißmann"), U, u8("WEIßMANN"), "WEI\xC3\x9FMANN", nullptr},
        {"DBEPatient_id", "Patient_id", u8("ß123"), U, u8("ß123"), "\xC3\x9F" "123", nullptr},
        {"eTestCode", "TestCode", u8("é-glu"), U, u8("É-GLU"), "\xC3\x89-GLU", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + (c.form == U ? " as UTF-8" : ""));
        Window w(1);
        w.set([&](StationSettings &s) { s.LabelUTF8 = c.form == U; }); // as the settings file would say
        auto *box = Support::Control(*w.main, c.box);
        box->setFocus();
        QApplication::processEvents();
        box->clear();
        w.type(c.typed);
        EXPECT_EQ(box->text(), c.shown);
        EXPECT_EQ(box->cursorPosition(), c.shown.size()); // the caret stays after what was typed
        if (c.refused)
            EXPECT_TRUE(w.said.last().endsWith(u8(c.refused) + ".")) << w.said.last().toStdString();
        else
            EXPECT_TRUE(w.said.isEmpty()) << w.said.join('|').toStdString();
        w.key(Qt::Key_Return); // the test box adds its test; a patient box moves on
        w.key(Qt::Key_F7);
        EXPECT_TRUE(w.prompter.errors.isEmpty()) << w.prompter.errors.join('|').toStdString();
        const bool test = QString(c.column) == "TestCode";
        const QString table = test ? "tests" : "patients";
        QSqlQuery stored(w.main->store().database());
        ASSERT_TRUE(stored.exec(QString("SELECT %1 FROM %2").arg(c.column, table)) && stored.next());
        EXPECT_EQ(stored.value(0).toString(), c.shown);
        const Registration record = w.main->store().currentRegistration();
        const QStringList labelTemplate{QString("<#Field Name=%1>").arg(test ? "TestCode" : c.column)};
        ASSERT_FALSE(record.tests().isEmpty() && test);
        const QByteArray label = test ? RegistrationLabels(labelTemplate, record, w.settings()).value(0).bytes
                                      : RenderLabel(labelTemplate, [&](const QString &, const TagParams &p) {
                                            return PageProducer1HTMLTag(record, QString(), w.settings().StationID, p);
                                        }, ValueBytesFor(w.settings().LabelUTF8));
        EXPECT_EQ(label, c.label);
    }

    // A paste that holds such a character is not taken either.
    Window w(1);
    auto *last = Support::Control(*w.main, "dbeLast");
    last->setFocus();
    QApplication::processEvents();
    QApplication::clipboard()->setText(QString::fromUtf8("MÜLLER"));
    w.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(last->text(), "P0");
    EXPECT_TRUE(w.said.last().endsWith(QString::fromUtf8("Ü (type U instead).")));
}

TEST(EntryWindow, OnlyAKeyPressedInTheTestGridAsksToDeleteATest)
{
    Window w(1);
    auto *grid = Support::Control<QTableView>(*w.main, "DBGrid1");
    Support::Control(*w.main, "eTestCode")->setFocus();
    QApplication::processEvents();
    for (const char *code : {"cbc", "tsh", "bmp"})
        w.typeAndEnter(code);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
    ASSERT_EQ(w.focus(), grid);
    const auto pressAndRelease = [&](Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        QTest::keyPress(w.main->windowHandle(), key, mods);
        QTest::keyRelease(w.main->windowHandle(), key, mods);
        QApplication::processEvents();
    };
    // Each key pressed here asks once (No keeps the test); the release of the key
    // that answered a question, pressed in its box, asks nothing.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_N, Qt::Key_Down}) {
        SCOPED_TRACE(key);
        const qsizetype asked = w.prompter.questions.size();
        pressAndRelease(key);
        EXPECT_EQ(w.prompter.questions.size(), asked + 1);
        QTest::keyRelease(w.main->windowHandle(), Qt::Key_Return); // the answer's release
        QApplication::processEvents();
        EXPECT_EQ(w.prompter.questions.size(), asked + 1);
    }
    EXPECT_EQ(w.prompter.questions.last(), "Delete BMP"); // Down moved on, as an arrow does
    // The command keys run their command and ask nothing.
    const qsizetype asked = w.prompter.questions.size();
    pressAndRelease(Qt::Key_F8);
    EXPECT_EQ(w.prompter.errors.last(), "No print template available"); // F8 ran the print
    pressAndRelease(Qt::Key_PageUp);
    EXPECT_EQ(w.prompter.questions.size(), asked);
    // Ctrl+Delete asks its own question, and the release of each of its keys, both
    // pressed in the grid, asks as any key does.
    grid->setFocus();
    w.prompter.answers = {true, false, false};
    pressAndRelease(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(w.prompter.questions.mid(asked), (QStringList{"Delete record?", "Delete TSH", "Delete TSH"})); // CBC went
    EXPECT_EQ(w.count("select count(*) from tests"), 2);
}

TEST(EntryWindow, ARangeThatIsNoAccessionNumberIsSaidBeforeAnythingIsTyped)
{
    Window w;
    w.folder.writeFile("tabrix.ini", "[Ranges]\nMinValue=X12345\nMaxValue=X20000\n");
    w.folder.station.LoadSettings();
    w.key(Qt::Key_F5);
    ASSERT_EQ(w.prompter.errors.size(), 1);
    EXPECT_EQ(w.prompter.errors[0], "The accession range in the settings file " + w.folder.path("tabrix.ini") +
                                        " cannot be used: Ranges/MinValue is \"X12345\", which reads as 74565, no accession "
                                        "number. Write each end of the range there as its number (for example "
                                        "MinValue=100012345 for X12345 and MaxValue=100020000 for X20000), or set the range "
                                        "in Edit > Preferences > Accn Range.");
    EXPECT_EQ(w.patients().state(), Cursor::State::Browse);
    EXPECT_EQ(w.count("select count(*) from patients"), 0);
    EXPECT_EQ(Support::Control<QLabel>(*w.main, "lblAccnStr")->text(), "");
}
