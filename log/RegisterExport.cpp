#include "log/RegisterExport.h"
#include "base/AtomicFile.h"
#include "log/ExportLine.h"
#include "register/Cursor.h"
#include "register/RegisterCheck.h"
#include "register/SQUtils.h"
#include "register/SqliteHandle.h"

#include <QMap>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace Tabrix {

namespace {

// One pass over the patients in accession order, each followed by its tests in
// their order: one row per test (or one row without a test).
const char *const PatientsWithTests = "SELECT p.*, t.TestCode AS tabrix_test FROM patients p "
                                      "LEFT JOIN tests t ON t.Order_id = p.Order_id "
                                      "ORDER BY p.AccnNum, p.Order_id, t.Test_id";

// Where the lines go: the file (the atomic writer buffers them), and the caller,
// asked every 64 patients whether to go on.
class ExportFile {
public:
    ExportFile(const QString &file, qint64 total, const std::function<bool(qint64, qint64)> &keepGoing)
        : m_name(file), m_file(file), m_total(total), m_keepGoing(keepGoing)
    {
        check(m_file.write({}));
    }
    // Before each patient's line; false when the caller cancelled.
    bool nextPatient() { return m_patients++ % 64 != 0 || m_keepGoing(m_patients - 1, m_total); }
    void write(ExportLine &line)
    {
        m_line.resize(0);
        line.end(m_line);
        check(m_file.write(m_line));
    }
    void commit() { check(m_file.commit()); }

private:
    void check(const QString &why) const
    {
        if (!why.isEmpty())
            throw ETabrixError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_name, why));
    }
    QString m_name;
    AtomicFileWriter m_file;
    QByteArray m_line;
    qint64 m_patients = 0, m_total;
    std::function<bool(qint64, qint64)> m_keepGoing;
};

// A value as Qt reads it: a blob's bytes (written by another tool) as Latin-1 text,
// anything else as its text. No value can be refused.
void addValue(ExportLine &line, ExportLine::Part part, const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QByteArray)
        line.addLatin1(part, v.toByteArray());
    else
        line.addText(part, v.toString());
}

// Any register, through Qt's driver (PostgreSQL: row by row, as the server sends them).
bool exportRows(const QSqlDatabase &db, ExportFile &out)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QString::fromLatin1(PatientsWithTests)))
        throw EDatabaseError(db, q.lastError());
    const QSqlRecord columns = q.record();
    const int test = columns.count() - 1;
    const int key = columns.indexOf(QStringLiteral("Order_id"));
    ExportLine line(columns.indexOf(QStringLiteral("Created")), QLocale::system());
    QVariant patient;
    while (q.next()) {
        if (patient.isNull() || q.value(key) != patient) {
            if (!patient.isNull())
                out.write(line);
            if (!out.nextPatient())
                return false;
            patient = q.value(key);
            for (int i = 0; i < test; ++i)
                addValue(line, ExportLine::Part::Column, q.value(i));
        }
        if (const QVariant code = q.value(test); !code.isNull())
            addValue(line, ExportLine::Part::TestCode, code);
    }
    if (q.lastError().isValid())
        throw EDatabaseError(db, q.lastError());
    if (!patient.isNull())
        out.write(line);
    return true;
}

// A value as SQLite holds it, written as Qt's driver would read it: numbers in
// decimal, text from its UTF-8 (or, when that is not valid UTF-8, from SQLite's own
// UTF-16 of it, as Qt reads it), a blob's bytes as Latin-1 text.
void addValue(ExportLine &line, ExportLine::Part part, sqlite3_stmt *row, int i)
{
    const auto bytes = [&] {
        const auto *p = static_cast<const char *>(sqlite3_column_blob(row, i));
        return QByteArrayView(p, sqlite3_column_bytes(row, i));
    };
    switch (sqlite3_column_type(row, i)) {
    case SQLITE_NULL:
        line.addLatin1(part, {});
        break;
    case SQLITE_FLOAT:
        line.addText(part, QString::number(sqlite3_column_double(row, i), 'g', QLocale::FloatingPointShortest));
        break;
    case SQLITE_BLOB:
        line.addLatin1(part, bytes());
        break;
    default: { // an integer's text is its decimal digits
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, i));
        if (!line.addUtf8(part, QByteArrayView(text, sqlite3_column_bytes(row, i))))
            line.addText(part, QStringView(static_cast<const char16_t *>(sqlite3_column_text16(row, i)),
                                           sqlite3_column_bytes16(row, i) / 2));
    }
    }
}

// A statement of an SQLite register, finalized when it goes.
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;
Statement prepare(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &prepared, nullptr) != SQLITE_OK)
        throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
    return Statement(prepared, sqlite3_finalize);
}

// An SQLite register, read through SQLite itself: the values as its own bytes,
// without Qt's conversion of every one. The patients and their tests come as two
// streams in the same order, so that each patient's columns are read once.
bool exportRows(sqlite3 *db, ExportFile &out)
{
    const Statement patients = prepare(db, "SELECT * FROM patients ORDER BY AccnNum, Order_id");
    const Statement tests = prepare(db, "SELECT t.Order_id, t.TestCode FROM patients p JOIN tests t ON t.Order_id = p.Order_id "
                                        "ORDER BY p.AccnNum, p.Order_id, t.Test_id");
    sqlite3_stmt *p = patients.get(), *t = tests.get();
    const int columns = sqlite3_column_count(p);
    int key = -1, created = -1;
    for (int i = 0; i < columns; ++i) {
        const QLatin1String name(sqlite3_column_name(p, i));
        if (name.compare(QLatin1String("Order_id"), Qt::CaseInsensitive) == 0)
            key = i;
        else if (name.compare(QLatin1String("Created"), Qt::CaseInsensitive) == 0)
            created = i;
    }
    ExportLine line(created, QLocale::system());
    const auto failed = [&](int step) {
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
        return step;
    };
    int testStep = failed(sqlite3_step(t));
    while (failed(sqlite3_step(p)) == SQLITE_ROW) {
        if (!out.nextPatient())
            return false;
        for (int i = 0; i < columns; ++i)
            addValue(line, ExportLine::Part::Column, p, i);
        const sqlite3_int64 patient = sqlite3_column_int64(p, key);
        for (; testStep == SQLITE_ROW && sqlite3_column_int64(t, 0) == patient; testStep = failed(sqlite3_step(t)))
            addValue(line, ExportLine::Part::TestCode, t, 1);
        out.write(line);
    }
    return true;
}

// A registration a damaged register still names: its key and accession number.
struct Listed {
    sqlite3_int64 key;
    qint64 accnNum;
};

// The first row at or after `from` in `order` (one step of a statement of
// rows ordered by it): SQLITE_ROW with the value, SQLITE_DONE, or the error
// when the first page it reaches is damaged.
int firstFrom(sqlite3 *db, const QByteArray &sql, sqlite3_int64 from, sqlite3_int64 *value)
{
    sqlite3_stmt *q = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.constData(), -1, &q, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_int64(q, 1, from);
        rc = sqlite3_step(q);
        if (rc == SQLITE_ROW)
            *value = sqlite3_column_int64(q, 0);
    }
    sqlite3_finalize(q);
    return rc;
}

// Every row `from` (a table, or the table through one index) still yields in
// the order of `column`, stepping over damaged pages: where a scan stops, the
// next row that can be reached is searched by widening jumps, then narrowed
// to the first one past the damage, so that no readable row is passed over.
void walk(sqlite3 *db, const char *from, const char *column, QMap<sqlite3_int64, Listed> &found)
{
    // Only what the index holds itself, so that walking it never reads the table.
    const QByteArray scan = QStringLiteral("SELECT Order_id, AccnNum, %2 FROM %1 WHERE %2 > ? ORDER BY %2")
                                .arg(QLatin1String(from), QLatin1String(column)).toLatin1();
    const QByteArray probe = QStringLiteral("SELECT %2 FROM %1 WHERE %2 >= ? ORDER BY %2 LIMIT 1")
                                 .arg(QLatin1String(from), QLatin1String(column)).toLatin1();
    constexpr sqlite3_int64 Largest = sqlite3_int64(1) << 62;
    sqlite3_int64 after = -Largest;
    for (;;) {
        sqlite3_stmt *q = nullptr;
        if (sqlite3_prepare_v2(db, scan.constData(), -1, &q, nullptr) != SQLITE_OK) {
            sqlite3_finalize(q);
            return; // no such index
        }
        sqlite3_bind_int64(q, 1, after);
        int rc;
        while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
            const sqlite3_int64 key = sqlite3_column_int64(q, 0);
            if (!found.contains(key))
                found.insert(key, {key, sqlite3_column_int64(q, 1)});
            after = sqlite3_column_int64(q, 2);
        }
        sqlite3_finalize(q);
        if (rc == SQLITE_DONE)
            return;
        // Damaged past `after`: jump until a row is reached, then narrow the jump down.
        sqlite3_int64 failed = after, reached = 0, value = 0;
        for (sqlite3_int64 jump = 1;; jump *= 2) {
            if (after + jump > Largest || jump > Largest / 2)
                return;
            const int step = firstFrom(db, probe, after + jump, &value);
            if (step == SQLITE_DONE)
                return;
            if (step == SQLITE_ROW) {
                reached = after + jump;
                break;
            }
            failed = after + jump;
        }
        while (reached - failed > 1) {
            const sqlite3_int64 mid = failed + (reached - failed) / 2;
            sqlite3_int64 v = 0;
            if (firstFrom(db, probe, mid, &v) == SQLITE_ROW) {
                reached = mid;
                value = v;
            } else {
                failed = mid;
            }
        }
        // The scan goes on from the first row past the damage (past it, should that row itself fail).
        after = value - 1 > after ? value - 1 : value;
    }
}

// Every registration the register can still name, in accession order: from the
// table, and from the accession number index (which holds each row's key and
// number even where the table's own pages are damaged).
QList<Listed> listRegistrations(sqlite3 *db)
{
    QMap<sqlite3_int64, Listed> found;
    walk(db, "patients NOT INDEXED", "Order_id", found);
    walk(db, "patients INDEXED BY AccnNum", "AccnNum", found);
    QList<Listed> all = found.values();
    std::stable_sort(all.begin(), all.end(), [](const Listed &a, const Listed &b) {
        return a.accnNum != b.accnNum ? a.accnNum < b.accnNum : a.key < b.key;
    });
    return all;
}

// A damaged SQLite register, registration by registration: one that reads whole
// (its row and its tests) is written as the export writes it, any other named.
bool salvageRows(sqlite3 *db, ExportFile &out, QStringList &unreadable)
{
    const Statement patient = prepare(db, "SELECT * FROM patients WHERE Order_id = ?");
    const Statement tests = prepare(db, "SELECT TestCode FROM tests WHERE Order_id = ? ORDER BY Test_id");
    sqlite3_stmt *p = patient.get(), *t = tests.get();
    const int columns = sqlite3_column_count(p);
    int created = -1;
    for (int i = 0; i < columns; ++i)
        if (QLatin1String(sqlite3_column_name(p, i)).compare(QLatin1String("Created"), Qt::CaseInsensitive) == 0)
            created = i;
    ExportLine line(created, QLocale::system());
    for (const Listed &r : listRegistrations(db)) {
        if (!out.nextPatient())
            return false;
        sqlite3_reset(p);
        sqlite3_reset(t);
        sqlite3_bind_int64(p, 1, r.key);
        sqlite3_bind_int64(t, 1, r.key);
        bool whole = sqlite3_step(p) == SQLITE_ROW;
        QList<QByteArray> codes;
        int step = SQLITE_ROW;
        while (whole && (step = sqlite3_step(t)) == SQLITE_ROW)
            codes << QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(t, 0)), sqlite3_column_bytes(t, 0));
        if (!whole || step != SQLITE_DONE) {
            const QString accn = AccnNumToStr(qint32(r.accnNum));
            unreadable << (accn.isEmpty() ? QString::number(r.accnNum) : accn);
            continue;
        }
        for (int i = 0; i < columns; ++i)
            addValue(line, ExportLine::Part::Column, p, i);
        for (const QByteArray &code : codes)
            if (!line.addUtf8(ExportLine::Part::TestCode, code))
                line.addLatin1(ExportLine::Part::TestCode, code);
        out.write(line);
    }
    return true;
}

} // namespace

bool ExportRegister(const QSqlDatabase &db, const QString &file,
                    const std::function<bool(qint64 written, qint64 total)> &keepGoing, QStringList *unreadable)
{
    sqlite3 *sqlite = SqliteHandle(db);
    qint64 total = 0;
    try {
        QSqlQuery count = ExecRegister(db, QStringLiteral("SELECT count(*) FROM patients"));
        total = count.next() ? count.value(0).toLongLong() : 0;
        ExportFile out(file, total, keepGoing);
        if (!(sqlite ? exportRows(sqlite, out) : exportRows(db, out)))
            return false;
        out.commit();
        return true;
    } catch (const EDatabaseError &) {
        // A failure of a register whose file SQLite finds damaged: what can be read is still exported.
        if (!sqlite || !unreadable || CheckRegisterFile(db, true, 5000, 1).isEmpty())
            throw;
    }
    // The file begun above was dropped unwritten; this one holds what can be read.
    ExportFile out(file, total, keepGoing);
    if (!salvageRows(sqlite, out, *unreadable))
        return false;
    out.commit();
    return true;
}

} // namespace Tabrix
