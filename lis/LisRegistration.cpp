#include "lis/LisRegistration.h"
#include "register/RegisterStatement.h"

#include <QSqlError>
#include <iterator>

namespace Tabrix {

namespace {
// The text columns in the order the statement reads them, after Order_id and AccnNum.
constexpr QString LisRegistration::*TextColumns[] = {
    &LisRegistration::accnStr,       &LisRegistration::created,        &LisRegistration::lastName,
    &LisRegistration::firstName,     &LisRegistration::middleInitial,  &LisRegistration::gender,
    &LisRegistration::patientId,     &LisRegistration::dob,            &LisRegistration::location,
    &LisRegistration::collectionDate, &LisRegistration::collectionTime, &LisRegistration::receiveDate,
    &LisRegistration::receiveTime};
} // namespace

void ForEachRegistration(const QSqlDatabase &db, RegistrationOrder order,
                         const std::function<void(const LisRegistration &)> &take)
{
    // One statement, a row for each test (one for a registration without tests):
    // a server register cannot stream two statements at once on one connection.
    const QString by = order == RegistrationOrder::Patient ? QStringLiteral("p.Patient_id, p.AccnNum, p.Order_id")
                                                           : QStringLiteral("p.AccnNum, p.Order_id");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT p.Order_id, p.AccnNum, p.AccnStr, p.Created, p.Last_Name, p.First_Name, "
                               "p.Middle_Initial, p.Gender, p.Patient_id, p.DOB, p.Location, p.Collection_date, "
                               "p.Collection_Time, p.Recieve_date, p.Recieve_Time, t.TestCode "
                               "FROM patients p LEFT JOIN tests t ON t.Order_id = p.Order_id ORDER BY %1, t.Test_id")
                    .arg(by)))
        throw EDatabaseError(db, q.lastError());
    constexpr int TestCode = 2 + int(std::size(TextColumns));
    LisRegistration r;
    bool pending = false;
    while (q.next()) {
        const qint64 orderId = q.value(0).toLongLong();
        if (!pending || orderId != r.orderId) {
            if (pending)
                take(r);
            r.orderId = orderId;
            r.accnNum = q.value(1).toLongLong();
            for (int i = 0; i < int(std::size(TextColumns)); ++i)
                r.*TextColumns[i] = q.value(2 + i).toString();
            r.tests.clear();
            pending = true;
        }
        if (!q.isNull(TestCode))
            r.tests << q.value(TestCode).toString();
    }
    if (q.lastError().isValid())
        throw EDatabaseError(db, q.lastError());
    if (pending)
        take(r);
}

} // namespace Tabrix
