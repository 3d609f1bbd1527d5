#include "register/RecordLifecycle.h"
#include "base/EventLog.h"
#include "base/Clock.h"
#include "base/Prompter.h"
#include "register/IdentityCheck.h"
#include "register/SQUtils.h"


namespace Tabrix {

CommandStates AvailableCommands(const Cursor &patients)
{
    const bool e = patients.editing();
    const bool browsing = !e && !patients.IsEmpty();
    return CommandStates{.New = !e,
                         .Save = e,
                         .Cancel = e,
                         .Print = browsing,
                         .Prev = browsing && !patients.Bof(),
                         .Next = browsing && !patients.Eof(),
                         .Others = browsing};
}

RecordLifecycle::RecordLifecycle(RecordStore &store, QObject *parent)
    : QObject(parent), m_store(store)
{
    Cursor &patients = m_store.tblPatients;
    connect(&patients, &Cursor::newRecord, this, &RecordLifecycle::tblPatientsNewRecord);
    // Before the record moves, it is saved; the result does not stop the move here,
    // the commands have saved it already.
    connect(&patients, &Cursor::beforeScroll, this, [this] { TryPost(); });
}

namespace {
const char *const RangeUsedUp = "You have exceeded the maximum number of accessions allowed.  "
                                "Please set new allowed range values.";
const char *const NoRange = "This station has no accession range yet. Set the range that your coordinator gave "
                            "the station in Edit > Preferences > Accn Range (for example X12345 to X20000), then "
                            "start the registration again.";
} // namespace

void RecordLifecycle::tblPatientsNewRecord()
{
    Cursor &p = m_store.tblPatients;
    Station &station = m_store.station();
    const StationSettings &s = station.settings();
    const TAccnRecord &TAccn = s.TAccn;
    // Without a range there is no number to give: the record could never be saved.
    if (TAccn.MinValue == 0) {
        ShowError(QString::fromLatin1(NoRange));
        p.Cancel();
        return;
    }
    // A range written into the settings file by hand may hold no accession number
    // at all (X12345 reads as the hexadecimal 74565): said before anything is typed.
    if (const QString fault = station.rangeFault(); !fault.isEmpty()) {
        ShowError(fault);
        p.Cancel();
        return;
    }
    // Worked out afresh, so that stations sharing a range see each other's saves
    // and a range set meanwhile applies; without the register, the number in memory.
    try {
        station.setNextNum(m_store.getNextTabrix());
    } catch (const ETabrixError &) {
    }
    if (TAccn.NextNum > TAccn.MaxValue) {
        ShowError(QString::fromLatin1(RangeUsedUp));
        p.Cancel();
        return;
    }
    p.setValue(QStringLiteral("AccnNum"), TAccn.NextNum);
    p.setValue(QStringLiteral("AccnStr"), AccnNumToStr(p.asInteger(QStringLiteral("AccnNum"))));
    p.setValue(QStringLiteral("Created"), Clock::now());
    p.setValue(QStringLiteral("Location"), s.Location);
    p.setValue(QStringLiteral("Gender"), QString(s.Gender));
    const auto today = [] { return Clock::now().toString(QStringLiteral("MM/dd/yyyy")); };
    const auto now = [] { return Clock::now().toString(QStringLiteral("HHmm")); };
    p.setValue(QStringLiteral("Collection_date"), today());
    p.setValue(QStringLiteral("Collection_Time"), now());
    p.setValue(QStringLiteral("Recieve_date"), today());
    p.setValue(QStringLiteral("Recieve_Time"), now());
    FocusLastName();
}

bool RecordLifecycle::TryPost()
{
    return save(false);
}

bool RecordLifecycle::TryPostBeforePrint()
{
    return save(true);
}

// `printFollows`: a change to what its labels show is not offered for printing.
bool RecordLifecycle::save(bool printFollows)
{
    Cursor &p = m_store.tblPatients;
    if (!p.editing())
        return true;
    if (!CheckFields())
        return false;
    // What the register holds of an edited record, read once for the identity
    // check, the labels' notice and the audit row.
    QSqlRecord stored;
    try {
        stored = m_store.storedPatient();
    } catch (const ETabrixError &e) {
        ShowError(e.message());
        return false;
    }
    if (!identityConfirmed(stored))
        return false;
    QString changes; // of what labels already sent show
    const bool isNew = p.state() == Cursor::State::Insert;
    if (isNew) {
        if (!postNew())
            return false;
    } else {
        try {
            changes = labelledChanges(stored);
            m_store.postPatient(stored);
        } catch (const ETabrixError &e) {
            ShowError(e.message());
            return false;
        }
    }
    try {
        p.Refresh();
    } catch (const ETabrixError &e) {
        ShowError(e.message());
        return false;
    }
    EventLog::Write(QStringLiteral("saved %1 (%2)")
                        .arg(p.asString(QStringLiteral("AccnStr")), isNew ? QStringLiteral("new") : QStringLiteral("changed")));
    if (!changes.isEmpty() && !printFollows)
        LabelledChange(p.asString(QStringLiteral("AccnStr")), changes);
    return true;
}

namespace {
// What a label can show of a registration, with the names its boxes give them.
const std::pair<const char *, const char *> LabelColumns[] = {
    {"Last_Name", "Last Name"},         {"First_Name", "First Name"},         {"Middle_Initial", "Middle Initial"},
    {"Gender", "Gender"},               {"Patient_id", "ID"},                 {"DOB", "DOB"},
    {"Location", "Location"},           {"Collection_date", "Collection Date"}, {"Collection_Time", "Collection Time"},
    {"Recieve_date", "Receive Date"},   {"Recieve_Time", "Receive Time"}};
} // namespace

// The values an edit changes that labels already sent show ("Last Name PINDLE is
// now PINDEL"), or nothing when no label of the registration was sent.
QString RecordLifecycle::labelledChanges(const QSqlRecord &stored) const
{
    const Cursor &p = m_store.tblPatients;
    if (stored.isEmpty() || !m_store.labelsSent(p.key()))
        return {};
    QStringList changes;
    for (const auto &[column, name] : LabelColumns) {
        const QString before = stored.value(QString::fromLatin1(column)).toString();
        const QString now = p.asString(QString::fromLatin1(column));
        if (before != now)
            changes << QStringLiteral("%1 %2 is now %3")
                           .arg(QString::fromLatin1(name), before.isEmpty() ? QStringLiteral("(empty)") : before,
                                now.isEmpty() ? QStringLiteral("(empty)") : now);
    }
    return changes.join(QStringLiteral("; "));
}

// A record naming a patient the register holds otherwise is saved only when the
// user says so; No leaves it being edited at the field that differs.
bool RecordLifecycle::identityConfirmed(const QSqlRecord &stored)
{
    std::optional<IdentityConflict> conflict;
    try {
        conflict = FindIdentityConflict(m_store.database(), m_store.tblPatients, stored);
    } catch (const ETabrixError &) {
        return true; // a register that cannot be read is said by the save itself
    }
    if (!conflict || prompter().ask(QuestionKind::Warning, conflict->question))
        return true;
    FocusColumn(conflict->column);
    return false;
}

// Saves a new record. When another station saved its number first (the register
// refuses the second row), the record takes the next free number of the range and
// is saved with it; the user is told. Nothing is ever saved with a taken number.
bool RecordLifecycle::postNew()
{
    Cursor &p = m_store.tblPatients;
    const QString first = p.asString(QStringLiteral("AccnStr"));
    for (;;) {
        try {
            m_store.postPatient({});
            break;
        } catch (const ETabrixError &e) {
            const auto *refused = dynamic_cast<const EDatabaseError *>(&e);
            if (!refused || !refused->duplicate()) {
                ShowError(e.message());
                return false;
            }
        }
        qint64 next = 0;
        try {
            next = m_store.getNextTabrix();
        } catch (const ETabrixError &e) {
            ShowError(e.message());
            return false;
        }
        if (next > m_store.station().settings().TAccn.MaxValue || next <= p.asInteger(QStringLiteral("AccnNum"))) {
            ShowError(QString::fromLatin1(RangeUsedUp));
            return false;
        }
        ++m_collisions;
        p.setValue(QStringLiteral("AccnNum"), next);
        p.setValue(QStringLiteral("AccnStr"), AccnNumToStr(qint32(next)));
    }
    // Saved: its number is used up, even if reading the row back fails later.
    const qint64 saved = p.asInteger(QStringLiteral("AccnNum"));
    m_store.station().setNextNum(saved + 1);
    if (const QString now = p.asString(QStringLiteral("AccnStr")); now != first)
        ShowStatus(QStringLiteral("%1 was taken by another station: this registration was saved as %2.").arg(first, now));
    return true;
}

void RecordLifecycle::tbSaveClick()
{
    TryPost();
}

void RecordLifecycle::tbCancelClick()
{
    m_store.tblPatients.Cancel();
}

void RecordLifecycle::tbNewClick()
{
    if (TryPost())
        m_store.tblPatients.Append();
}

void RecordLifecycle::tbPrevClick()
{
    if (TryPost())
        m_store.tblPatients.Prior();
}

void RecordLifecycle::tbNextClick()
{
    if (TryPost())
        m_store.tblPatients.Next();
}

void RecordLifecycle::Delete1Click()
{
    Cursor &p = m_store.tblPatients;
    if (p.IsEmpty())
        return;
    const QString question = QStringLiteral("Deleting %1, %2. Are you sure?")
                                 .arg(p.asString(QStringLiteral("Last_Name")), p.asString(QStringLiteral("First_Name")));
    if (!prompter().ask(QuestionKind::Warning, question))
        return;
    const qint32 accn = p.asInteger(QStringLiteral("AccnNum"));
    try {
        m_store.DeleteCurrent();
    } catch (const ETabrixError &e) {
        ShowError(e.message());
        RunGuarded([&] { p.Refresh(); }); // what the register holds after all
        return;
    }
    Station &station = m_store.station();
    if (m_store.keepsGivenNumbers()) {
        try {
            station.setNextNum(m_store.getNextTabrix()); // the register kept or gave back the number
        } catch (const ETabrixError &) {
        }
        return;
    }
    // The newest number comes back for the next record.
    const TAccnRecord &TAccn = station.settings().TAccn;
    if (accn == TAccn.NextNum - 1 && TAccn.NextNum != TAccn.MinValue)
        station.setNextNum(TAccn.NextNum - 1);
}

void RecordLifecycle::EmptyDatabase1Click()
{
    if (!prompter().ask(QuestionKind::Information, QStringLiteral("This will delete all data. Are you sure?")))
        return;
    m_store.tblTests.Close();
    m_store.tblPatients.Close();
    m_store.EmptyPatients();
    m_store.tblPatients.Open();
    m_store.tblTests.Open();
    m_store.station().setNextNum(m_store.station().settings().TAccn.MinValue);
}

bool RecordLifecycle::FormCloseQuery()
{
    return TryPost();
}

} // namespace Tabrix
