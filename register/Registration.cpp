#include "register/Registration.h"
#include "register/Cursor.h"
#include "register/DateText.h"

namespace Tabrix {

Registration::Registration(QSqlRecord patient, QSet<QString> dateTimeColumns, QList<TestOrder> tests)
    : m_patient(std::move(patient)), m_tests(std::move(tests))
{
    for (const QString &c : dateTimeColumns)
        m_dateTimeColumns.insert(c.toLower());
}

int Registration::indexOf(const QString &name) const
{
    const int i = m_patient.indexOf(name);
    if (i < 0)
        throw EDatabaseError(QStringLiteral("patients: Field '%1' not found").arg(name));
    return i;
}

QVariant Registration::value(const QString &name) const
{
    return m_patient.value(indexOf(name));
}

QString Registration::asString(const QString &name) const
{
    return StoredText(value(name));
}

QDateTime Registration::asDateTime(const QString &name) const
{
    const int i = indexOf(name);
    if (const auto d = StoredDateTime(m_patient.value(i), m_dateTimeColumns.contains(m_patient.fieldName(i).toLower())))
        return *d;
    throw EDatabaseError(QStringLiteral("'%1' is not a valid date").arg(m_patient.value(i).toString()));
}

} // namespace Tabrix
