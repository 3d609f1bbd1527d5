#pragma once
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

namespace Tabrix {

// One test of a registration as the register holds it.
struct TestOrder {
    QVariant testId; // the row's key in tests
    QString code;
};

// A registration as a value: the patient's columns as the register holds them
// and its tests in the test list's order. Readers that do not edit (the print
// run, the label preview, the ledger) work from such a value, so nothing done on
// the window meanwhile can change what they read.
class Registration {
public:
    Registration() = default;
    // `dateTimeColumns`: the columns of `patient` that hold a date and time (Created).
    Registration(QSqlRecord patient, QSet<QString> dateTimeColumns, QList<TestOrder> tests);

    bool isNull() const { return m_patient.isEmpty(); }
    const QSqlRecord &patient() const { return m_patient; }
    const QList<TestOrder> &tests() const { return m_tests; }

    // Field access by column name, without regard to case; a column the
    // register lacks raises EDatabaseError naming it.
    QVariant value(const QString &name) const;
    QString asString(const QString &name) const;
    // Fails (EDatabaseError) on a text that is not a date.
    QDateTime asDateTime(const QString &name) const;

    QVariant orderId() const { return value(QStringLiteral("Order_id")); }
    QString accnStr() const { return asString(QStringLiteral("AccnStr")); }

private:
    int indexOf(const QString &name) const;
    QSqlRecord m_patient;
    QSet<QString> m_dateTimeColumns; // lower case
    QList<TestOrder> m_tests;
};

} // namespace Tabrix
