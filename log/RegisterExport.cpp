#include "log/RegisterExport.h"
#include "base/AtomicFile.h"
#include "log/ExportLine.h"
#include "register/Cursor.h"
#include "register/SqliteHandle.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

} // namespace

bool ExportRegister(const QSqlDatabase &db, const QString &file,
                    const std::function<bool(qint64 written, qint64 total)> &keepGoing)
{
    QSqlQuery count = ExecRegister(db, QStringLiteral("SELECT count(*) FROM patients"));
    ExportFile out(file, count.next() ? count.value(0).toLongLong() : 0, keepGoing);
    sqlite3 *sqlite = SqliteHandle(db);
    if (!(sqlite ? exportRows(sqlite, out) : exportRows(db, out)))
        return false;
    out.commit();
    return true;
}

} // namespace Tabrix
