#pragma once
#include "register/RecordStore.h"

#include <QObject>
#include <functional>

namespace Tabrix {

// Which commands of the main window may run, from the patient cursor's state.
struct CommandStates {
    bool New = true, Save = false, Cancel = false, Print = true, Prev = false, Next = false;
    bool Others = true; // Reset Accns, Delete, Export, Patient Log
    bool operator==(const CommandStates &) const = default;
};
CommandStates AvailableCommands(const Cursor &patients);

// The life of the current patient record: new with its accession number and
// defaults, save, cancel, delete, browse, reset, and closing over it. Every command
// that leaves the record saves it first through TryPost.
class RecordLifecycle : public QObject {
    Q_OBJECT
public:
    explicit RecordLifecycle(RecordStore &store, QObject *parent = nullptr);
    RecordStore &store() const { return m_store; }

    // The entry panel's check of the record before it is saved (shows its own message).
    std::function<bool()> CheckFields = [] { return true; };
    // Puts the keyboard focus in the last-name box of a new record.
    std::function<void()> FocusLastName = [] {};
    // Puts the keyboard focus in the box of a column.
    std::function<void(const QString &column)> FocusColumn = [](const QString &) {};
    // A saved registration whose labels were sent was changed in what a label shows:
    // `changes` says what ("Last Name PINDLE is now PINDEL"); the window offers to
    // print its labels again.
    std::function<void(const QString &accnStr, const QString &changes)> LabelledChange = [](const QString &, const QString &) {};
    // Tells the user a passing fact (the status bar).
    std::function<void(const QString &)> ShowStatus = [](const QString &) {};

    // How many saves found their number taken by another station and took the next free one.
    int collisionsResolved() const { return m_collisions; }

    // Saves the current record if it is being edited. False when it was not saved:
    // the reason has been shown and the record is still being edited.
    bool TryPost();
    // The same for a print about to print the record: a change to what its labels
    // show is not offered for printing, as the print follows anyway.
    bool TryPostBeforePrint();
    void tbNewClick();
    void tbCancelClick();
    void tbSaveClick();
    void tbPrevClick();
    void tbNextClick();
    void Delete1Click();
    void EmptyDatabase1Click();
    bool FormCloseQuery();

private:
    void tblPatientsNewRecord();
    bool postNew();
    bool save(bool printFollows);
    bool identityConfirmed(const QSqlRecord &stored);
    QString labelledChanges(const QSqlRecord &stored) const;
    RecordStore &m_store;
    int m_collisions = 0;
};

} // namespace Tabrix
