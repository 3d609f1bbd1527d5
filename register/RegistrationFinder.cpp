#include "register/RegistrationFinder.h"
#include "register/RegisterStatement.h"
#include "register/SQUtils.h"

#include <QSqlRecord>

namespace Tabrix {

namespace {

// The first text after every text starting with `prefix` (its last character raised
// by one), so that a prefix is an indexed range.
QString pastPrefix(const QString &prefix)
{
    QString past = prefix;
    past.back() = QChar(past.back().unicode() + 1);
    return past;
}

qint64 accessionOf(const QString &text)
{
    if (const qint32 n = AccnStrToNum(text))
        return n;
    bool digits = false;
    const qint64 n = text.toLongLong(&digits);
    return digits && n > 0 ? n : 0;
}

} // namespace

std::optional<QVariant> RegistrationFinder::next(const QString &typed)
{
    const QString text = typed.trimmed().toUpper();
    if (text != m_text || m_kind == Kind::Done) {
        m_text = text;
        m_kind = Kind::Accession;
        m_after.clear();
    }
    if (m_text.isEmpty())
        return std::nullopt;
    while (m_kind != Kind::Done) {
        if (auto found = nextOf(m_kind))
            return found;
        m_kind = Kind(int(m_kind) + 1);
        m_after.clear();
    }
    return std::nullopt;
}

std::optional<QVariant> RegistrationFinder::nextOf(Kind kind)
{
    QString where, order;
    QVariantList values;
    switch (kind) {
    case Kind::Accession: {
        const qint64 accn = accessionOf(m_text);
        if (!accn)
            return std::nullopt;
        where = QStringLiteral("AccnNum = ?");
        values << accn;
        order = QStringLiteral("Order_id");
        break;
    }
    case Kind::PatientId:
        where = QStringLiteral("Patient_id = ?");
        values << m_text;
        order = QStringLiteral("AccnNum, Order_id");
        break;
    case Kind::Name: {
        const qsizetype comma = m_text.indexOf(u',');
        const QString last = (comma < 0 ? m_text : m_text.left(comma)).trimmed();
        const QString first = comma < 0 ? QString() : m_text.mid(comma + 1).trimmed();
        if (last.isEmpty())
            return std::nullopt;
        if (comma < 0) {
            where = QStringLiteral("Last_Name >= ? AND Last_Name < ?");
            values << last << pastPrefix(last);
        } else if (first.isEmpty()) {
            where = QStringLiteral("Last_Name = ?");
            values << last;
        } else {
            where = QStringLiteral("Last_Name = ? AND First_Name >= ? AND First_Name < ?");
            values << last << first << pastPrefix(first);
        }
        order = QStringLiteral("Last_Name, First_Name, Patient_id, Order_id");
        break;
    }
    case Kind::Done:
        return std::nullopt;
    }
    if (!m_after.isEmpty()) {
        QStringList marks(m_after.size(), QStringLiteral("?"));
        where += QStringLiteral(" AND (%1) > (%2)").arg(order, marks.join(QStringLiteral(", ")));
        values << m_after;
    }
    QSqlQuery q = ExecRegister(m_db, QStringLiteral("SELECT %1 FROM patients WHERE %2 ORDER BY %1 LIMIT 1").arg(order, where),
                               values);
    if (!q.next())
        return std::nullopt;
    m_after.clear();
    for (int i = 0; i < q.record().count(); ++i)
        m_after << q.value(i);
    return q.value(q.record().indexOf(QStringLiteral("Order_id")));
}

} // namespace Tabrix
