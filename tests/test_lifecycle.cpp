#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "register/EntryRules.h"
#include "register/AuditTrail.h"
#include "register/RecordLifecycle.h"
#include "register/RegisterStatement.h"
#include "register/SQUtils.h"
#include "register/setup/RegisterSetup.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {

const QDateTime Now(QDate(2026, 12, 8), QTime(10, 0));

// A register with the record lifecycle over it; the record check is the real one.
struct Counter {
    Support::ProgramFolder folder;
    Support::RecordingPrompter prompter;
    RecordStore store{folder.station};
    RecordLifecycle life{store};

    Counter(qint32 minValue, qint32 maxValue, std::initializer_list<qint32> saved = {})
    {
        Clock::setFixed(Now);
        folder.createRegister();
        set([&](StationSettings &st) { st.TAccn = {minValue, maxValue, 0}; });
        store.Connect(folder.path("tabrix.udl"));
        life.CheckFields = [this] {
            const auto failure = CheckRecord(store.tblPatients, Clock::now());
            if (failure)
                ShowError(failure->message);
            return !failure;
        };
        for (qint32 n : saved)
            seed(n);
        store.Connect(folder.path("tabrix.udl")); // as at start-up: first row, NextNum worked out
    }
    ~Counter() { Clock::setFixed({}); }

    template <class Change>
    void set(Change change) { Support::Set(folder.station, change); }
    qint64 nextNum() const { return folder.station.settings().TAccn.NextNum; }

    // A valid registration with this number, saved as another station (or an
    // earlier range) would have saved it.
    void seed(qint32 n)
    {
        QSqlQuery q(store.database());
        q.prepare("INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name, Gender, Patient_id, DOB, "
                  "Location, Collection_date, Collection_Time, Recieve_date, Recieve_Time) "
                  "VALUES (?, ?, ?, ?, 'F', 'M', ?, '01/19/1970', 'W1', '12/08/2026', '0930', '12/08/2026', '1000')");
        q.addBindValue(n);
        const QString text = AccnNumToStr(n); // none for a number without a text form
        q.addBindValue(text.isNull() ? QStringLiteral("") : text);
        q.addBindValue(Now);
        q.addBindValue(QStringLiteral("P%1").arg(n));
        q.addBindValue(QStringLiteral("MRN%1").arg(n)); // the patient Fill names for this number
        ASSERT_TRUE(q.exec()) << qPrintable(q.lastError().text());
    }

    void fill()
    {
        Cursor &p = store.tblPatients;
        p.Edit();
        p.setValue("Last_Name", QStringLiteral("P%1").arg(p.asInteger("AccnNum")));
        p.setValue("First_Name", "F");
        p.setValue("Patient_id", QStringLiteral("MRN%1").arg(p.asInteger("AccnNum"))); // a patient of its own
        p.setValue("DOB", "01/19/1970");
        p.setValue("Location", "W1");
        p.setValue("Collection_Time", "0930");
    }

    // Runs commands named by words: New Fill Save Cancel Prev Next Delete Reset Close Blank.
    void run(const QString &commands)
    {
        for (const QString &c : commands.split(' ', Qt::SkipEmptyParts)) {
            if (c == "New") life.tbNewClick();
            else if (c == "Fill") fill();
            else if (c == "Blank") { store.tblPatients.Edit(); store.tblPatients.setValue("Last_Name", ""); }
            else if (c == "Save") life.tbSaveClick();
            else if (c == "Cancel") life.tbCancelClick();
            else if (c == "Prev") life.tbPrevClick();
            else if (c == "Next") life.tbNextClick();
            else if (c == "Delete") { prompter.answers.push_back(true); life.Delete1Click(); }
            else if (c == "Reset") { prompter.answers.push_back(true); life.EmptyDatabase1Click(); }
            else ADD_FAILURE() << "unknown command " << qPrintable(c);
        }
    }

    int rows()
    {
        QSqlQuery q(store.database());
        q.exec("select count(*) from patients");
        return q.next() ? q.value(0).toInt() : -1;
    }

    QString enabled() const
    {
        const CommandStates c = AvailableCommands(store.tblPatients);
        QStringList names;
        const std::pair<bool, const char *> all[] = {{c.New, "New"}, {c.Save, "Save"}, {c.Cancel, "Cancel"},
                                                     {c.Print, "Print"}, {c.Prev, "Prev"}, {c.Next, "Next"},
                                                     {c.Others, "Others"}};
        for (const auto &[on, name] : all)
            if (on)
                names << name;
        return names.join(' ');
    }
};

struct Step {
    const char *commands;
    qint64 nextNum;
    int rows;
    const char *enabled;
    const char *message = nullptr; // the last box shown, when one is expected
};

void play(Counter &s, std::initializer_list<Step> steps)
{
    for (const Step &step : steps) {
        SCOPED_TRACE(step.commands);
        const qsizetype shown = s.prompter.errors.size();
        s.run(step.commands);
        EXPECT_EQ(s.nextNum(), step.nextNum);
        EXPECT_EQ(s.rows(), step.rows);
        EXPECT_EQ(s.enabled(), step.enabled);
        if (step.message) {
            ASSERT_GT(s.prompter.errors.size(), shown);
            EXPECT_EQ(s.prompter.errors.last(), step.message);
        } else {
            EXPECT_EQ(s.prompter.errors.size(), shown) << qPrintable(s.prompter.errors.value(shown));
        }
    }
}

const char *const RangeUsedUp =
    "You have exceeded the maximum number of accessions allowed.  Please set new allowed range values.";
const qint32 Min = 100000100;

} // namespace

TEST(Lifecycle, TheRangeIsHandedOutAndThenUsedUp)
{
    Counter s(Min, Min + 1);
    play(s, {
        {"", Min, 0, "New"},
        {"New", Min, 0, "Save Cancel"},
        {"Fill Save", Min + 1, 1, "New Print Prev Next Others"},
        {"New Fill Save", Min + 2, 2, "New Print Prev Next Others"},
        {"New", Min + 2, 2, "New Print Prev Next Others", RangeUsedUp},
    });
    EXPECT_EQ(s.store.tblPatients.state(), Cursor::State::Browse);
    s.set([](StationSettings &st) { st.TAccn.MaxValue = Min + 5; }); // a wider range takes effect at once
    play(s, {{"New Fill Save", Min + 3, 3, "New Print Prev Next Others"}});
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min + 2);
    EXPECT_EQ(s.store.tblPatients.asString("AccnStr"), "X102");
}

TEST(Lifecycle, NewRecordsGetTheirDefaults)
{
    Counter s(Min, Min + 10);
    s.set([](StationSettings &st) {
        st.Location = "ER";
        st.Gender = u'F';
    });
    s.run("New");
    const Cursor &p = s.store.tblPatients;
    EXPECT_EQ(p.asInteger("AccnNum"), Min);
    EXPECT_EQ(p.asString("AccnStr"), "X100");
    EXPECT_EQ(p.asDateTime("Created"), Now);
    EXPECT_EQ(p.asString("Location"), "ER");
    EXPECT_EQ(p.asString("Gender"), "F");
    for (const char *date : {"Collection_date", "Recieve_date"})
        EXPECT_EQ(p.asString(date), "12/08/2026");
    for (const char *time : {"Collection_Time", "Recieve_Time"})
        EXPECT_EQ(p.asString(time), "1000");
    // Left as they are, equal times cannot be saved.
    s.life.tbSaveClick();
    EXPECT_EQ(s.prompter.errors.last(), "Please provide a last name");
    s.fill();
    s.store.tblPatients.setValue("Collection_Time", "1000");
    s.life.tbSaveClick();
    EXPECT_EQ(s.prompter.errors.last(), "Collection date must be before the recieve date.");
}

TEST(Lifecycle, CancelAndFailedSavesUseUpNoNumber)
{
    Counter s(Min, Min + 10);
    play(s, {
        {"New Cancel", Min, 0, "New"},
        {"New Fill Cancel", Min, 0, "New"},
        {"New Save", Min, 0, "Save Cancel", "Please provide a last name"},
        {"Fill Save", Min + 1, 1, "New Print Prev Next Others"},
    });
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min); // the number offered after the cancels
}

TEST(Lifecycle, DeletingTheNewestGivesItsNumberBack)
{
    Counter s(Min, Min + 10, {Min, Min + 1, Min + 2});
    EXPECT_EQ(s.nextNum(), Min + 3);
    s.store.tblPatients.First(); // Min: an older record
    play(s, {
        {"Delete", Min + 3, 2, "New Print Prev Next Others"},
        {"Next Delete", Min + 2, 1, "New Print Prev Next Others"}, // Min + 2, the newest
    });
    EXPECT_EQ(s.prompter.questions.last(), QString("Deleting P%1, F. Are you sure?").arg(Min + 2));
    play(s, {{"New Fill Save", Min + 3, 2, "New Print Prev Next Others"}});
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min + 2);

    s.prompter.answers.push_back(false);
    s.life.Delete1Click();
    EXPECT_EQ(s.rows(), 2);
}

TEST(Lifecycle, ARecordLeftFromAnEarlierRangeKeepsNextNumAtTheMinimum)
{
    Counter s(Min, Min + 10, {Min - 1});
    EXPECT_EQ(s.nextNum(), Min);
    play(s, {{"Delete", Min, 0, "New"}});
}

TEST(Lifecycle, TheNumberAfterTheLargestIsRefusedNeverWrapped)
{
    // A range up to the largest 32-bit number, and a row there written by another tool.
    Counter s(Min, INT32_MAX, {Min, INT32_MAX});
    EXPECT_EQ(s.nextNum(), 2147483648LL);
    s.run("New"); // such an end is no accession number: said before any number is given
    EXPECT_EQ(s.nextNum(), 2147483648LL);
    EXPECT_EQ(s.rows(), 2);
    EXPECT_EQ(s.enabled(), "New Print Next Others");
    ASSERT_EQ(s.prompter.errors.size(), 1);
    EXPECT_TRUE(s.prompter.errors[0].contains("Ranges/MaxValue is \"2147483647\"")) << qPrintable(s.prompter.errors[0]);
    QSqlQuery count(s.store.database());
    ASSERT_TRUE(count.exec(QString("SELECT count(*) FROM patients WHERE AccnNum = %1").arg(Min)) && count.next());
    EXPECT_EQ(count.value(0).toInt(), 1);
}

TEST(Lifecycle, ResetAccnsEmptiesTheRegister)
{
    Counter s(Min, Min + 10, {Min, Min + 1});
    play(s, {{"Reset", Min, 0, "New"}, {"New", Min, 0, "Save Cancel"}});
    EXPECT_EQ(s.prompter.questions.last(), "This will delete all data. Are you sure?");
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min);

    s.run("Fill Save");
    s.prompter.answers.push_back(false);
    s.life.EmptyDatabase1Click();
    EXPECT_EQ(s.rows(), 1);
}

TEST(Lifecycle, NextOnTheLastRowStaysEnabledUntilTriedOnce)
{
    Counter s(Min, Min + 10, {Min, Min + 1});
    play(s, {
        {"", Min + 2, 2, "New Print Next Others"},
        {"Next", Min + 2, 2, "New Print Prev Next Others"},
        {"Next", Min + 2, 2, "New Print Prev Others"},
        {"Prev", Min + 2, 2, "New Print Prev Next Others"},
        {"Prev", Min + 2, 2, "New Print Next Others"},
    });
}

TEST(Lifecycle, ClosingSavesAValidRecordAndStaysOverAnInvalidOne)
{
    Counter s(Min, Min + 10, {Min});
    s.run("Blank");
    EXPECT_FALSE(s.life.FormCloseQuery());
    EXPECT_EQ(s.prompter.errors.last(), "Please provide a last name");
    EXPECT_TRUE(s.store.tblPatients.editing());
    s.run("Fill");
    EXPECT_TRUE(s.life.FormCloseQuery());
    EXPECT_FALSE(s.store.tblPatients.editing());
    EXPECT_EQ(s.rows(), 1);
}

TEST(Lifecycle, ALockedRegisterRefusesTheSaveAndKeepsTheRecord)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "a lock held on the SQLite file";
    Counter s(Min, Min + 10);
    s.run("New Fill");
    s.store.tblPatients.setValue("Last_Name", "LOCKED");

    // Another process holds a write transaction on the register.
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
    other.setDatabaseName(s.folder.path("tabrix.db"));
    ASSERT_TRUE(other.open());
    QSqlQuery lock(other);
    ASSERT_TRUE(lock.exec("BEGIN IMMEDIATE"));
    ASSERT_TRUE(lock.exec("INSERT INTO tests (Order_id, TestCode) VALUES (999, 'X')"));

    s.life.tbSaveClick();
    EXPECT_EQ(s.prompter.errors.last(), "database is locked");
    EXPECT_EQ(s.store.tblPatients.state(), Cursor::State::Insert);
    EXPECT_EQ(s.store.tblPatients.asString("Last_Name"), "LOCKED");
    EXPECT_EQ(s.nextNum(), Min);

    ASSERT_TRUE(lock.exec("ROLLBACK"));
    s.life.tbSaveClick();
    EXPECT_FALSE(s.store.tblPatients.editing());
    EXPECT_EQ(s.nextNum(), Min + 1);
    EXPECT_EQ(s.rows(), 1);
    lock = QSqlQuery();
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other");
}

TEST(Lifecycle, ARegisterFileDeletedWhileRunningIsSaidInPlainWords)
{
    if (Support::ProgramFolder::onPostgres())
        GTEST_SKIP() << "an SQLite register file";
    Counter s(Min, Min + 10, {Min});
    s.run("New Fill");
    s.store.tblPatients.setValue("Last_Name", "TYPED");
    ASSERT_TRUE(QFile::remove(s.folder.path("tabrix.db")));
    s.life.tbSaveClick();
    ASSERT_FALSE(s.prompter.errors.isEmpty());
    EXPECT_EQ(s.prompter.errors.last(),
              QString("The register file %1 is gone: it was deleted or moved while Tabrix was running. "
                      "Nothing was saved; what you typed is still on screen. Put the file back and save again.")
                  .arg(QFileInfo(s.folder.path("tabrix.db")).absoluteFilePath()));
    EXPECT_EQ(s.store.tblPatients.state(), Cursor::State::Insert);
    EXPECT_EQ(s.store.tblPatients.asString("Last_Name"), "TYPED");
    EXPECT_EQ(s.nextNum(), Min + 1);
}

TEST(Lifecycle, ANumberAnotherStationSavedFirstIsNeverSavedTwice)
{
    Counter s(Min, Min + 2);
    QStringList status;
    s.life.ShowStatus = [&](const QString &text) { status << text; };
    s.run("New Fill");
    EXPECT_EQ(s.store.tblPatients.asString("AccnStr"), "X100");
    s.seed(Min); // another station saves the same number first
    play(s, {{"Save", Min + 2, 2, "New Print Prev Next Others"}});
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min + 1);
    EXPECT_EQ(s.store.tblPatients.asString("AccnStr"), "X101");
    EXPECT_EQ(status, QStringList{"X100 was taken by another station: this registration was saved as X101."});
    EXPECT_EQ(s.life.collisionsResolved(), 1);

    // The range's last number taken meanwhile: the range message, and what was typed stays.
    s.run("New Fill");
    s.store.tblPatients.setValue("Last_Name", "TYPED");
    s.store.tblPatients.setValue("Patient_id", "MRN-TYPED"); // not the patient the other station saved
    s.seed(Min + 2);
    play(s, {{"Save", Min + 2, 3, "Save Cancel", RangeUsedUp}});
    EXPECT_EQ(s.store.tblPatients.state(), Cursor::State::Insert);
    EXPECT_EQ(s.store.tblPatients.asString("Last_Name"), "TYPED");
}

namespace {

// A register as versions before the kept numbers made it.
void forgetGivenNumbers(Counter &s)
{
    const bool pg = Support::ProgramFolder::onPostgres();
    for (const char *sql : {pg ? "DROP TRIGGER patients_accn_given ON patients" : "DROP TRIGGER patients_accn_given",
                            "DROP TABLE accn_given"}) {
        QSqlQuery q(s.store.database());
        ASSERT_TRUE(q.exec(sql)) << qPrintable(q.lastError().text());
    }
    s.store.Connect(s.folder.path("tabrix.udl"));
}

// A label of this number in the print ledger, as a print run leaves it.
void labelPrinted(Counter &s, qint32 accn)
{
    QSqlQuery q(s.store.database());
    q.prepare("INSERT INTO label_log (Order_id, AccnNum, AccnStr, TestCode, Printed, Bytes, Digest, Outcome) "
              "VALUES (NULL, ?, ?, 'CBC', ?, 1, 'd', 'sent')");
    q.addBindValue(accn);
    q.addBindValue(AccnNumToStr(accn));
    q.addBindValue(Now);
    ASSERT_TRUE(q.exec()) << qPrintable(q.lastError().text());
}

} // namespace

TEST(Lifecycle, ANumberIsNeverGivenToASecondRegistration)
{
    Counter s(Min, Min + 10, {Min, Min + 1, Min + 2});
    s.store.tblPatients.Locate(2); // Min + 1, an older record
    play(s, {
        {"Delete", Min + 3, 2, "New Print Prev Next Others"}, // a gap, never filled
        {"Delete", Min + 2, 1, "New Print Prev Next Others"}, // Min + 2, the newest, no label: its number again
    });
    // After a restart, and on a second station, the same.
    s.store.Connect(s.folder.path("tabrix.udl"));
    EXPECT_EQ(s.nextNum(), Min + 2);
    {
        Station other(s.folder.programFile());
        Support::Set(other, [](StationSettings &st) { st.TAccn = {Min, Min + 10, 0}; });
        RecordStore second{other};
        second.Connect(s.folder.path("tabrix.udl"));
        EXPECT_EQ(second.getNextTabrix(), Min + 2);
    }
    s.store.Connect(s.folder.path("tabrix.udl"));
    play(s, {{"New Fill Save", Min + 3, 2, "New Print Prev Next Others"}});
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min + 2);

    // The newest, once a label of it was sent, keeps its number for good.
    labelPrinted(s, Min + 2);
    play(s, {{"Delete", Min + 3, 1, "New Print Prev Next Others"}, {"New Fill Save", Min + 4, 2, "New Print Prev Next Others"}});
    EXPECT_EQ(s.store.tblPatients.asInteger("AccnNum"), Min + 3);

    // Reset Accns empties the register: numbering starts at the range's first number.
    play(s, {{"Reset", Min, 0, "New"}});
    EXPECT_EQ(s.store.getNextTabrix(), Min);
}

TEST(Lifecycle, ARegisterWithoutTheKeptNumbersNumbersAsBefore)
{
    Counter s(Min, Min + 10, {Min, Min + 1, Min + 2});
    forgetGivenNumbers(s);
    s.store.tblPatients.Locate(2);
    play(s, {{"Delete", Min + 3, 2, "New Print Prev Next Others"}, {"Delete", Min + 2, 1, "New Print Prev Next Others"}});
    s.store.Connect(s.folder.path("tabrix.udl"));
    EXPECT_EQ(s.nextNum(), Min + 1); // worked out from the rows left, as before
}

TEST(Lifecycle, TheUpgradeKeepsTheNumbersOfTheRegisterAndOfItsLabels)
{
    Counter s(Min, Min + 10, {Min, Min + 1});
    forgetGivenNumbers(s);
    labelPrinted(s, Min + 2); // a registration deleted after its labels were printed
    EXPECT_EQ(s.nextNum(), Min + 2);
    EXPECT_TRUE(RegisterSetup::UpgradeRegister(s.store.database()).isEmpty());
    s.store.Connect(s.folder.path("tabrix.udl"));
    EXPECT_TRUE(s.store.keepsGivenNumbers());
    EXPECT_EQ(s.nextNum(), Min + 3);
    EXPECT_TRUE(RegisterSetup::UpgradeRegister(s.store.database()).isEmpty()); // again: nothing changes
    play(s, {{"New Fill Save", Min + 4, 3, "New Print Prev Next Others"}});
}

// A registration naming a patient the register holds otherwise is saved only after
// a question; No leaves it being edited at the field that differs.
TEST(Lifecycle, APatientHeldUnderAnotherIdentityIsAskedAbout)
{
    struct Case {
        const char *last, *first, *id, *dob;
        const char *question; // none: saved without one
        const char *column;
    };
    const Case cases[] = {
        {"DOE", "JANE", "MRN100234", "03/14/1985", nullptr, nullptr}, // the same patient again
        {"DOE", "JAN", "MRN100234", "03/14/1985",
         "Patient ID MRN100234 is registered as DOE, JANE, born 03/14/1985 (X100). This registration names DOE, JAN. "
         "Save it anyway?",
         "First_Name"},
        {"DOE", "JANE", "MRN100234", "03/15/1985",
         "Patient ID MRN100234 is registered as DOE, JANE, born 03/14/1985 (X100). This registration names DOE, JANE, "
         "born 03/15/1985. Save it anyway?",
         "DOB"},
        {"ROE", "JANE", "MRN100234", "03/14/1985",
         "Patient ID MRN100234 is registered as DOE, JANE, born 03/14/1985 (X100). This registration names ROE, JANE. "
         "Save it anyway?",
         "Last_Name"},
        {"DOE", "JANE", "MRN999", "03/14/1985",
         "DOE, JANE, born 03/14/1985, is registered with Patient ID MRN100234 (X100). This registration names Patient "
         "ID MRN999. Save it anyway?",
         "Patient_id"},
        {"DOE", "JANE", "MRN999", "03/15/1985", nullptr, nullptr}, // another patient of the same name
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id + std::string(" ") + c.first + " " + c.dob);
        for (const bool yes : {false, true}) {
            Counter s(Min, Min + 100);
            QString focused;
            s.life.FocusColumn = [&](const QString &column) { focused = column; };
            Cursor &p = s.store.tblPatients;
            const auto enter = [&](const char *last, const char *first, const char *id, const char *dob) {
                s.run("New Fill");
                p.setValue("Last_Name", last), p.setValue("First_Name", first), p.setValue("Patient_id", id);
                p.setValue("DOB", dob);
            };
            enter("DOE", "JANE", "MRN100234", "03/14/1985");
            ASSERT_TRUE(s.life.TryPost());
            enter(c.last, c.first, c.id, c.dob);
            s.prompter.answers.push_back(yes);
            const bool saved = s.life.TryPost();
            if (!c.question) {
                EXPECT_TRUE(saved);
                EXPECT_TRUE(s.prompter.questions.isEmpty()) << qPrintable(s.prompter.questions.join('|'));
                break;
            }
            ASSERT_EQ(s.prompter.questions, QStringList{c.question});
            EXPECT_EQ(saved, yes);
            EXPECT_EQ(s.rows(), yes ? 2 : 1);
            EXPECT_EQ(p.editing(), !yes);
            EXPECT_EQ(focused, yes ? QString() : QString(c.column));
            if (yes) { // saved as it is: a later save of it asks nothing more
                p.Edit();
                p.setValue("Location", "ICU");
                EXPECT_TRUE(s.life.TryPost());
                EXPECT_EQ(s.prompter.questions.size(), 1);
            }
        }
    }
}

// An edit of what labels already sent show is said after the save, naming the
// values; not for a registration without sent labels, nor when a print follows.
TEST(Lifecycle, AChangeToALabelledRegistrationIsSaid)
{
    Counter s(Min, Min + 100);
    QStringList said;
    s.life.LabelledChange = [&](const QString &accn, const QString &changes) { said << accn + ": " + changes; };
    Cursor &p = s.store.tblPatients;
    s.run("New Fill Save");
    const auto edit = [&](const char *column, const char *value) {
        p.Edit();
        p.setValue(column, value);
    };
    edit("Location", "ICU");
    ASSERT_TRUE(s.life.TryPost());
    EXPECT_TRUE(said.isEmpty()); // no label sent yet

    QSqlQuery sent(s.store.database());
    sent.prepare("INSERT INTO label_log (Order_id, AccnNum, AccnStr, TestCode, Printed, Station, Bytes, Digest, Outcome) "
                 "VALUES (?, ?, 'X100', 'CBC', ?, 'ER', 3, '', 'sent')");
    sent.addBindValue(p.key()), sent.addBindValue(Min), sent.addBindValue(Now);
    ASSERT_TRUE(sent.exec()) << qPrintable(sent.lastError().text());
    edit("Location", "W2");
    edit("Last_Name", "PINDEL");
    ASSERT_TRUE(s.life.TryPost());
    EXPECT_EQ(said, QStringList{"X100: Last Name P100000100 is now PINDEL; Location ICU is now W2"});
    edit("Location", "W3");
    ASSERT_TRUE(s.life.TryPostBeforePrint()); // the print that follows prints them anyway
    EXPECT_EQ(said.size(), 1);
    EXPECT_EQ(s.rows(), 1);
}

namespace {
QList<QVariantList> auditRows(Counter &s)
{
    return Support::QueryRows(s.store.database(), "SELECT Action, AccnStr, Details FROM audit_log ORDER BY Audit_id");
}
} // namespace

// Every change kind writes its row, with the values before and after, in the
// change's own transaction; the chain verifies.
TEST(Lifecycle, EveryChangeIsOnRecordAndTheTrailVerifies)
{
    Counter s(Min, Min + 100);
    Cursor &p = s.store.tblPatients;
    s.run("New Fill Save");
    const QList<QVariantList> afterNew = auditRows(s);
    ASSERT_EQ(afterNew.size(), 1);
    EXPECT_EQ(afterNew[0][0], "new");
    EXPECT_EQ(afterNew[0][1], "X100");
    for (const char *line : {"AccnStr: X100", "Last_Name: P100000100", "Patient_id: MRN100000100", "Location: W1"})
        EXPECT_TRUE(afterNew[0][2].toString().split('\n').contains(line)) << line;

    p.Edit();
    p.setValue("Location", "ICU");
    p.setValue("First_Name", "G");
    ASSERT_TRUE(s.life.TryPost());
    s.store.tblTests.Append();
    s.store.tblTests.setValue("Order_id", p.key());
    s.store.tblTests.setValue("TestCode", "CBC");
    s.store.postTest();
    s.store.deleteTest();
    s.run("Delete");
    s.run("New Fill Save New Fill Save Reset");
    const QList<QVariantList> rows = auditRows(s);
    ASSERT_EQ(rows.size(), 8);
    EXPECT_EQ(rows[1], (QVariantList{"change", "X100", "First_Name: F -> G\nLocation: W1 -> ICU"}));
    EXPECT_EQ(rows[2], (QVariantList{"test added", "X100", "TestCode: CBC"}));
    EXPECT_EQ(rows[3], (QVariantList{"test removed", "X100", "TestCode: CBC"}));
    EXPECT_EQ(rows[4][0], "delete");
    EXPECT_TRUE(rows[4][2].toString().contains("First_Name: G\n")) << qPrintable(rows[4][2].toString());
    EXPECT_TRUE(rows[4][2].toString().endsWith("\nTests: ")) << qPrintable(rows[4][2].toString());
    EXPECT_EQ(rows[7], (QVariantList{"reset", "", "Registrations: 2\nTests: 0"}));
    EXPECT_EQ(Support::QueryRows(s.store.database(), "SELECT count(DISTINCT Station), max(Seq), min(Version) FROM audit_log"),
              (QList<QVariantList>{{1, 8, TabrixDefs::AppVersion()}}));
    EXPECT_EQ(VerifyAuditTrail(s.store.database()), QStringList());

    // A row changed, one removed from the middle, the last one removed: each named.
    const auto tampered = [&](const char *sql, const char *named) {
        ExecRegister(s.store.database(), QString::fromLatin1(sql));
        const QStringList faults = VerifyAuditTrail(s.store.database());
        ASSERT_FALSE(faults.isEmpty()) << sql;
        const QString all = faults.join(QStringLiteral(" | "));
        EXPECT_TRUE(all.contains(QString::fromLatin1(named))) << qPrintable(all);
    };
    tampered("UPDATE audit_log SET Details = 'TestCode: TSH' WHERE Seq = 3", "number 3 of its chain) was changed");
    tampered("DELETE FROM audit_log WHERE Seq = 3", "the rows before it from number 3 on are missing");
    tampered("DELETE FROM audit_log WHERE Seq = 8", "it was written up to number 8");
}

// A change whose audit row cannot be written is not saved, and the record stays
// being edited with what was typed; a save that fails writes no row.
TEST(Lifecycle, AChangeIsNeverSavedWithoutItsRowNorItsRowWithoutIt)
{
    Counter s(Min, Min + 100);
    s.run("New Fill Save New Fill");
    ASSERT_TRUE(QSqlQuery(s.store.database()).exec("DROP TABLE audit_head")); // the trail cannot be written now
    EXPECT_FALSE(s.life.TryPost());
    EXPECT_EQ(s.rows(), 1);
    EXPECT_EQ(s.store.tblPatients.state(), Cursor::State::Insert);
    EXPECT_EQ(s.store.tblPatients.asString("Last_Name"), "P100000101");
    EXPECT_EQ(auditRows(s).size(), 1);
}
