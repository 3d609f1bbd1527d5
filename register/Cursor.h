#pragma once
#include "register/RegisterStatement.h"

#include <QObject>
#include <functional>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

namespace Tabrix {

// A cursor over one table: a current row, its state, BOF/EOF, moves, edits and the
// events bound controls and handlers listen to. Rows are reached by their place in
// the sort order (the sort fields, then the key as tie-break), one indexed query
// per move, so the size of the table never matters. A detail cursor holds only
// the rows whose link field equals the master's current value.
class Cursor : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class Event { Open, Close, Insert, Edit, Post, Cancel, Delete, Scroll, Refresh };
    Q_ENUM(Event)

    // `keyField` is the row's identity, given by the database when the row is saved.
    Cursor(QString table, QString keyField, QObject *parent = nullptr);

    void setDatabase(const QSqlDatabase &db) { m_db = db; }
    QSqlDatabase database() const { return m_db; }
    QString table() const { return m_table; }
    QString keyField() const { return m_keyField; }
    // Field names of the order, ascending. Keeps the current row.
    void setSortFields(const QStringList &fields);
    QStringList sortFields() const { return m_sortFields; }
    void setMaster(Cursor *master, const QString &linkField);

    void Open();
    void Close();
    void First();
    void Prior();
    void Next();
    void Append();
    void Edit();
    void Post();
    // What is written beside a row's save or delete, given the row's key.
    using Alongside = std::function<void(const QVariant &key)>;
    // Saves the row and runs `alongside` after its statement in the same
    // transaction: when either (or the commit) fails, nothing is saved and the row
    // stays as it was, being edited.
    void Post(const Alongside &alongside);
    void Cancel();
    void Delete();
    // Deletes the current row with `alongside` run before its statement in the same
    // transaction: when either fails, nothing is deleted.
    void Delete(const Alongside &alongside);
    void Refresh();
    // Makes the row with this key current; false when there is none in the cursor.
    bool Locate(const QVariant &key);

    State state() const { return m_state; }
    bool active() const { return m_state != State::Inactive; }
    bool editing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool IsEmpty() const { return m_empty; }
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }

    // Field access by column name, without regard to case.
    QVariant value(const QString &name) const;
    QString asString(const QString &name) const;
    qint32 asInteger(const QString &name) const;    // null reads as 0
    QDateTime asDateTime(const QString &name) const; // fails on a text that is not a date
    void setValue(const QString &name, const QVariant &value);
    QVariant key() const { return m_row.value(m_keyIndex); }

    // The rows of the cursor in order, at most `limit` (for grids over small details).
    QList<QSqlRecord> rows(int limit = 1000) const;

    // For grids over large tables, at costs that do not grow with the table.
    enum class Direction { After, Before };
    // Up to `limit` rows next to `from` in the order (after it or before it; from the
    // first or the last row when there is none), passing over `skip` rows first; in
    // the order either way. Read by the order's index from `from` on.
    QList<QSqlRecord> rowsBeside(const QSqlRecord *from, Direction dir, qint64 skip, int limit) const;
    // How many rows there are: counted once, kept up to date by the cursor's own
    // inserts and deletes, and counted again when another station may have changed
    // the table (SQLite says so; PostgreSQL cannot say cheaply, so it is counted).
    qint64 count() const;
    // The current row's place in the order, counted from the nearer end.
    qint64 indexOfCurrent() const;
    const QSqlRecord &current() const { return m_row; }
    // The names of the columns that hold a date and time rather than text.
    QSet<QString> dateTimeColumns() const;

signals:
    // After open, close, insert, edit, post, cancel, delete, a move and refresh.
    void stateChange(Tabrix::Cursor::Event event);
    // Before First, Prior, Next, Append, Delete or Locate moves the current row.
    void beforeScroll();
    // Inside Append, while the new row is in Insert state.
    void newRecord();
    // The current row is another one, or was read anew.
    void dataChanged();
    void fieldChanged(const QString &name);

private:
    int fieldIndex(const QString &name) const;
    void requireActive() const;
    void requireBrowseAfterScrollEvent();
    QString quoted(const QString &name) const;
    QString orderBy(bool descending) const;
    QString rangeCondition() const;
    bool rangeIsNone() const;
    QStringList orderColumns() const;
    QString inRange(const QString &what, const QString &condition, const QVariantList &values, const QString &tail,
                    QVariantList &binds) const;
    QSqlQuery selectInRange(const QString &what, const QString &condition, const QVariantList &values,
                            const QString &tail) const;
    qint64 countBeside(const QSqlRecord &from, Direction dir, qint64 bound) const;
    qint64 changesElsewhere() const;
    QString neighbourCondition(Direction dir) const;
    QVariantList orderValues(const QSqlRecord &row) const;
    std::optional<QSqlRecord> fetchOne(const QString &condition, const QVariantList &values,
                                       bool descending) const;
    std::optional<QSqlRecord> fetchNeighbour(const QSqlRecord &from, Direction dir) const;
    std::optional<QSqlRecord> fetchByKey(const QVariant &key) const;
    bool queryEmpty() const;
    void setRow(const std::optional<QSqlRecord> &row);
    void loadFirst();
    void step(Direction dir);
    void settleAfterLoss(const QSqlRecord &lost);
    void followMaster();
    QSqlQuery exec(const QString &sql, const QVariantList &values) const;

    QString m_table;
    QString m_keyField;
    QSqlDatabase m_db;
    QStringList m_sortFields;
    Cursor *m_master = nullptr;
    QString m_linkField;

    QSqlRecord m_columns; // the table's columns, empty values
    QSet<int> m_dateTimeColumns;
    int m_keyIndex = -1;
    QSqlRecord m_row;
    QSet<int> m_changed;
    QVariant m_returnKey; // the row to go back to when a new row is cancelled
    bool m_returnBof = true, m_returnEof = true;
    State m_state = State::Inactive;
    bool m_bof = true, m_eof = true, m_empty = true;
    mutable qint64 m_count = -1, m_countVersion = -1; // the kept count, and what the register said then
};

} // namespace Tabrix
