#include "register/Cursor.h"
#include "base/IntText.h"
#include "register/DateText.h"
#include "register/RegisterStatement.h"

#include <algorithm>
#include <optional>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace Tabrix {

Cursor::Cursor(QString table, QString keyField, QObject *parent)
    : QObject(parent), m_table(std::move(table)), m_keyField(std::move(keyField))
{
}

void Cursor::setMaster(Cursor *master, const QString &linkField)
{
    m_master = master;
    m_linkField = linkField;
    connect(master, &Cursor::dataChanged, this, &Cursor::followMaster);
}

QSqlQuery Cursor::exec(const QString &sql, const QVariantList &values) const
{
    return ExecRegister(m_db, sql, values);
}

int Cursor::fieldIndex(const QString &name) const
{
    const int i = m_columns.indexOf(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(m_table, name));
    return i;
}

void Cursor::requireActive() const
{
    if (m_state == State::Inactive)
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(m_table));
}

// The before-scroll handlers save an edited row; a row still being edited
// afterwards (its save was refused) must not be left behind unsaved.
void Cursor::requireBrowseAfterScrollEvent()
{
    if (editing())
        throw EDatabaseError(QStringLiteral("%1: Cannot move while the record is being edited").arg(m_table));
}

QString Cursor::quoted(const QString &name) const
{
    return m_db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

QStringList Cursor::orderColumns() const
{
    QStringList cols;
    for (const QString &f : m_sortFields)
        cols << m_columns.fieldName(fieldIndex(f));
    if (!cols.contains(m_keyField, Qt::CaseInsensitive))
        cols << m_columns.fieldName(m_keyIndex);
    return cols;
}

QString Cursor::orderBy(bool descending) const
{
    QStringList parts;
    for (const QString &c : orderColumns())
        parts << quoted(c) + (descending ? QStringLiteral(" DESC") : QString());
    return parts.join(QStringLiteral(", "));
}

bool Cursor::rangeIsNone() const
{
    return m_master && (!m_master->active() || m_master->value(m_linkField).isNull());
}

QString Cursor::rangeCondition() const
{
    return m_master ? quoted(m_columns.fieldName(fieldIndex(m_linkField))) + QStringLiteral(" = ?") : QString();
}

// SELECT `what` FROM the table, within the master's range and `condition`, then
// `tail`; `binds` gets the values it takes.
QString Cursor::inRange(const QString &what, const QString &condition, const QVariantList &values, const QString &tail,
                        QVariantList &binds) const
{
    QStringList where;
    if (m_master) {
        where << rangeCondition();
        binds << m_master->value(m_linkField);
    }
    if (!condition.isEmpty()) {
        where << condition;
        binds << values;
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(what, quoted(m_table));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    return sql + u' ' + tail;
}

QSqlQuery Cursor::selectInRange(const QString &what, const QString &condition, const QVariantList &values,
                                const QString &tail) const
{
    QVariantList binds;
    const QString sql = inRange(what, condition, values, tail, binds);
    return exec(sql, binds);
}

std::optional<QSqlRecord> Cursor::fetchOne(const QString &condition, const QVariantList &values,
                                           bool descending) const
{
    if (rangeIsNone())
        return std::nullopt;
    QSqlQuery q = selectInRange(QStringLiteral("*"), condition, values,
                                QStringLiteral("ORDER BY ") + orderBy(descending) + QStringLiteral(" LIMIT 1"));
    if (!q.next())
        return std::nullopt;
    return q.record();
}

// The rows after (or before) a row in the order: a row-value comparison of the
// order columns, which the indexes serve.
QString Cursor::neighbourCondition(Direction dir) const
{
    QStringList names, marks;
    for (const QString &c : orderColumns()) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("(%1) %2 (%3)")
        .arg(names.join(u','), dir == Direction::After ? QStringLiteral(">") : QStringLiteral("<"), marks.join(u','));
}

QVariantList Cursor::orderValues(const QSqlRecord &row) const
{
    QVariantList values;
    for (const QString &c : orderColumns())
        values << row.value(c);
    return values;
}

std::optional<QSqlRecord> Cursor::fetchNeighbour(const QSqlRecord &from, Direction dir) const
{
    return fetchOne(neighbourCondition(dir), orderValues(from), dir == Direction::Before);
}

std::optional<QSqlRecord> Cursor::fetchByKey(const QVariant &key) const
{
    if (key.isNull())
        return std::nullopt;
    return fetchOne(quoted(m_columns.fieldName(m_keyIndex)) + QStringLiteral(" = ?"), {key}, false);
}

bool Cursor::queryEmpty() const
{
    return rangeIsNone() || !selectInRange(QStringLiteral("1"), {}, {}, QStringLiteral("LIMIT 1")).next();
}

void Cursor::setRow(const std::optional<QSqlRecord> &row)
{
    m_row = m_columns;
    if (row)
        for (int i = 0; i < m_columns.count(); ++i)
            m_row.setValue(i, row->value(m_columns.fieldName(i)));
    m_changed.clear();
}

// The first row in the order becomes current; BOF, and EOF when there is none.
void Cursor::loadFirst()
{
    const auto first = fetchOne(QString(), {}, false);
    setRow(first);
    m_empty = !first.has_value();
    m_bof = true;
    m_eof = m_empty;
}

// The current row is gone: the following row, else the preceding one, becomes current.
void Cursor::settleAfterLoss(const QSqlRecord &lost)
{
    auto next = fetchNeighbour(lost, Direction::After);
    if (!next)
        next = fetchNeighbour(lost, Direction::Before);
    setRow(next);
    m_empty = !next.has_value();
    m_bof = m_eof = m_empty;
}

// --- open and close -------------------------------------------------------------

void Cursor::Open()
{
    if (active())
        return;
    QSqlQuery probe(m_db);
    if (!probe.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(quoted(m_table)))) {
        const EDatabaseError error(probe.lastError());
        if (error.message().contains(QLatin1String("no such table")) || error.message().contains(QLatin1String("does not exist")))
            throw EDatabaseError(QStringLiteral("The register has no table \"%1\"").arg(m_table));
        throw error;
    }
    m_columns = m_db.record(m_table);
    for (int i = 0; i < m_columns.count(); ++i)
        m_columns.setValue(i, QVariant());
    m_keyIndex = fieldIndex(m_keyField);
    orderColumns(); // every sort field must exist
    if (m_master)
        fieldIndex(m_linkField);

    // Columns that hold a date and time rather than text.
    m_dateTimeColumns.clear();
    QSqlQuery info(m_db);
    const bool sqlite = m_db.driverName() == QLatin1String("QSQLITE");
    if (sqlite && info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_table)))) {
        while (info.next()) {
            const QString type = info.value(2).toString().toUpper();
            if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME")))
                m_dateTimeColumns.insert(m_columns.indexOf(info.value(1).toString()));
        }
    }
    for (int i = 0; i < m_columns.count(); ++i)
        if (m_columns.field(i).metaType().id() == QMetaType::QDateTime)
            m_dateTimeColumns.insert(i);

    loadFirst();
    m_count = -1;
    m_state = State::Browse;
    emit stateChange(Event::Open);
    emit dataChanged();
}

void Cursor::Close()
{
    if (!active())
        return;
    m_state = State::Inactive;
    m_row = QSqlRecord();
    m_changed.clear();
    m_bof = m_eof = m_empty = true;
    emit stateChange(Event::Close);
    emit dataChanged();
}

void Cursor::setSortFields(const QStringList &fields)
{
    m_sortFields = fields;
    if (!active())
        return;
    orderColumns();
    m_bof = m_eof = m_empty;
    emit stateChange(Event::Scroll);
}

// --- moves ----------------------------------------------------------------------

void Cursor::First()
{
    requireActive();
    emit beforeScroll();
    requireBrowseAfterScrollEvent();
    loadFirst();
    emit stateChange(Event::Scroll);
    emit dataChanged();
}

void Cursor::Next()
{
    step(Direction::After);
}

void Cursor::Prior()
{
    step(Direction::Before);
}

// One row on in the order, or back; at the end the try sets EOF (or BOF) and stays.
void Cursor::step(Direction dir)
{
    requireActive();
    emit beforeScroll();
    requireBrowseAfterScrollEvent();
    bool &atEnd = dir == Direction::After ? m_eof : m_bof;
    if (atEnd)
        return;
    if (const auto row = fetchNeighbour(m_row, dir)) {
        setRow(row);
        m_bof = m_eof = false;
        emit stateChange(Event::Scroll);
        emit dataChanged();
    } else {
        atEnd = true;
        emit stateChange(Event::Scroll);
    }
}

bool Cursor::Locate(const QVariant &key)
{
    requireActive();
    if (!editing() && !key.isNull() && key == this->key())
        return true;
    const auto row = fetchByKey(key);
    if (!row)
        return false;
    emit beforeScroll();
    requireBrowseAfterScrollEvent();
    setRow(row);
    m_bof = m_eof = false;
    emit stateChange(Event::Scroll);
    emit dataChanged();
    return true;
}

// --- edits ----------------------------------------------------------------------

void Cursor::Append()
{
    requireActive();
    emit beforeScroll();
    requireBrowseAfterScrollEvent();
    m_returnKey = key();
    m_returnBof = m_bof;
    m_returnEof = m_eof;
    m_state = State::Insert;
    setRow(std::nullopt);
    m_bof = m_eof = false;
    emit newRecord();
    if (m_state != State::Insert)
        return; // the new-record handler cancelled the row
    emit stateChange(Event::Insert);
    emit dataChanged();
}

void Cursor::Edit()
{
    requireActive();
    if (editing())
        return;
    if (m_empty) {
        Append();
        return;
    }
    m_state = State::Edit;
    emit stateChange(Event::Edit);
}

void Cursor::setValue(const QString &name, const QVariant &value)
{
    const int i = fieldIndex(name);
    if (!editing())
        throw EDatabaseError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_table));
    m_row.setValue(i, value);
    m_changed.insert(i);
    emit fieldChanged(m_columns.fieldName(i));
}

void Cursor::Post()
{
    Post(Alongside());
}

void Cursor::Post(const Alongside &alongside)
{
    requireActive();
    if (!editing())
        return;
    std::optional<RegisterTransaction> together;
    if (alongside)
        together.emplace(m_db);
    QVariant newKey;
    if (m_state == State::Insert) {
        QStringList names, marks;
        QVariantList values;
        for (int i = 0; i < m_row.count(); ++i) {
            if (i == m_keyIndex || m_row.isNull(i))
                continue;
            names << quoted(m_row.fieldName(i));
            marks << QStringLiteral("?");
            values << m_row.value(i);
        }
        const QString insert = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                                               : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                     .arg(quoted(m_table), names.join(u','), marks.join(u','));
        newKey = InsertReturningKey(m_db, insert, values, quoted(m_row.fieldName(m_keyIndex)));
    } else if (!m_changed.isEmpty()) {
        QStringList sets;
        QVariantList values;
        for (int i : std::as_const(m_changed)) {
            sets << quoted(m_row.fieldName(i)) + QStringLiteral(" = ?");
            values << m_row.value(i);
        }
        exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                 .arg(quoted(m_table), sets.join(QStringLiteral(", ")), quoted(m_row.fieldName(m_keyIndex))),
             values << key());
    }
    if (alongside) {
        alongside(m_state == State::Insert ? newKey : key());
        together->commit();
    }
    // Saved: from here on the row is the register's.
    if (m_state == State::Insert) {
        m_row.setValue(m_keyIndex, newKey);
        if (m_count >= 0)
            ++m_count;
    }
    m_state = State::Browse;
    m_changed.clear();
    m_empty = false;
    emit stateChange(Event::Post);
    emit dataChanged();
}

void Cursor::Cancel()
{
    if (!editing())
        return;
    const bool wasNew = m_state == State::Insert;
    m_state = State::Browse;
    const QVariant back = wasNew ? m_returnKey : key();
    auto row = fetchByKey(back);
    if (!row && !m_empty)
        row = fetchOne(QString(), {}, false);
    setRow(row);
    m_empty = !row.has_value();
    if (m_empty)
        m_bof = m_eof = true;
    else if (wasNew && key() == m_returnKey) {
        m_bof = m_returnBof; // back where it stood before the new row
        m_eof = m_returnEof;
    }
    emit stateChange(Event::Cancel);
    emit dataChanged();
}

void Cursor::Delete()
{
    Delete(Alongside());
}

void Cursor::Delete(const Alongside &alongside)
{
    requireActive();
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    if (m_empty)
        throw EDatabaseError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_table));
    emit beforeScroll();
    if (m_state == State::Edit) { // the changes go with the row
        m_state = State::Browse;
        m_changed.clear();
    }
    {
        std::optional<RegisterTransaction> together;
        if (alongside) {
            together.emplace(m_db);
            alongside(key());
        }
        exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_table), quoted(m_row.fieldName(m_keyIndex))), {key()});
        if (together)
            together->commit();
    }
    if (m_count > 0)
        --m_count;
    const QSqlRecord gone = m_row;
    settleAfterLoss(gone);
    emit stateChange(Event::Delete);
    emit dataChanged();
}

void Cursor::Refresh()
{
    requireActive();
    if (editing())
        throw EDatabaseError(QStringLiteral("%1: Cannot refresh while the record is being edited").arg(m_table));
    if (const auto row = fetchByKey(key())) {
        setRow(row);
        m_empty = false;
    } else if (m_empty || m_row.isEmpty() || key().isNull()) {
        loadFirst();
    } else {
        settleAfterLoss(m_row);
    }
    emit stateChange(Event::Refresh);
    emit dataChanged();
}

// A detail follows every change of its master's current row.
void Cursor::followMaster()
{
    if (!active())
        return;
    if (editing()) {
        m_state = State::Browse; // a detail edit never outlives its master row
        m_changed.clear();
    }
    loadFirst();
    emit stateChange(Event::Refresh); // the rows are others now
    emit dataChanged();
}

// --- field access ----------------------------------------------------------------

QVariant Cursor::value(const QString &name) const
{
    const int i = fieldIndex(name);
    return m_row.isEmpty() ? QVariant() : m_row.value(i);
}

QString Cursor::asString(const QString &name) const
{
    return StoredText(value(name));
}

qint32 Cursor::asInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (v.isNull() || v.toString().isEmpty())
        return 0;
    const auto n = ReadIntText(v.toString());
    if (!n)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return *n;
}

QDateTime Cursor::asDateTime(const QString &name) const
{
    const int i = fieldIndex(name);
    if (const auto d = StoredDateTime(value(name), m_dateTimeColumns.contains(i)))
        return *d;
    throw EDatabaseError(QStringLiteral("'%1' is not a valid date").arg(value(name).toString()));
}

QSet<QString> Cursor::dateTimeColumns() const
{
    QSet<QString> names;
    for (int i : m_dateTimeColumns)
        names.insert(m_columns.fieldName(i));
    return names;
}

QList<QSqlRecord> Cursor::rows(int limit) const
{
    return rowsBeside(nullptr, Direction::After, 0, limit);
}

QList<QSqlRecord> Cursor::rowsBeside(const QSqlRecord *from, Direction dir, qint64 skip, int limit) const
{
    QList<QSqlRecord> result;
    if (!active() || rangeIsNone() || limit <= 0)
        return result;
    const bool before = dir == Direction::Before;
    QSqlQuery q = selectInRange(QStringLiteral("*"), from ? neighbourCondition(dir) : QString(),
                                from ? orderValues(*from) : QVariantList(),
                                QStringLiteral("ORDER BY %1 LIMIT %2 OFFSET %3").arg(orderBy(before)).arg(limit).arg(skip));
    while (q.next())
        result << q.record();
    if (before)
        std::reverse(result.begin(), result.end());
    return result;
}

// What an SQLite register says of changes made by other connections (it changes
// with each of them, never with this connection's own); -1 for a register that
// cannot say.
qint64 Cursor::changesElsewhere() const
{
    if (m_db.driverName() != QLatin1String("QSQLITE"))
        return -1;
    QSqlQuery q = exec(QStringLiteral("PRAGMA data_version"), {});
    return q.next() ? q.value(0).toLongLong() : -1;
}

qint64 Cursor::count() const
{
    if (!active() || rangeIsNone())
        return 0;
    const qint64 version = m_master ? -1 : changesElsewhere(); // a detail's range moves with its master
    if (m_count < 0 || version < 0 || version != m_countVersion) {
        QSqlQuery q = selectInRange(QStringLiteral("COUNT(*)"), {}, {}, QString());
        m_count = q.next() ? q.value(0).toLongLong() : 0;
        m_countVersion = version;
    }
    return m_count;
}

// How many rows lie beside `from`, counting no further than `bound`.
qint64 Cursor::countBeside(const QSqlRecord &from, Direction dir, qint64 bound) const
{
    QVariantList binds;
    const QString rows = inRange(QStringLiteral("1"), neighbourCondition(dir), orderValues(from),
                                 QStringLiteral("LIMIT %1").arg(bound), binds);
    QSqlQuery q = exec(QStringLiteral("SELECT COUNT(*) FROM (%1) beside").arg(rows), binds);
    return q.next() ? q.value(0).toLongLong() : 0;
}

qint64 Cursor::indexOfCurrent() const
{
    if (!active() || m_empty || editing())
        return 0;
    const qint64 total = count();
    // Count from both ends with a growing bound: the nearer end stops first.
    for (qint64 bound = 256;; bound *= 8) {
        if (const qint64 before = countBeside(m_row, Direction::Before, bound); before < bound)
            return before;
        if (const qint64 after = countBeside(m_row, Direction::After, bound); after < bound)
            return std::max<qint64>(0, total - 1 - after);
    }
}

} // namespace Tabrix
