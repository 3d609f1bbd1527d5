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
    const QString by = order == RegistrationOrder::Patient ? QStringLiteral("p.Patient_id, p.AccnNum, p.Order_id")
                                                           : QStringLiteral("p.AccnNum, p.Order_id");
    QSqlQuery patients(db);
    patients.setForwardOnly(true);
    if (!patients.exec(QStringLiteral(
            "SELECT Order_id, AccnNum, AccnStr, Created, Last_Name, First_Name, Middle_Initial, Gender, Patient_id, "
            "DOB, Location, Collection_date, Collection_Time, Recieve_date, Recieve_Time "
            "FROM patients p ORDER BY %1").arg(by)))
        throw EDatabaseError(db, patients.lastError());
    QSqlQuery tests(db);
    tests.setForwardOnly(true);
    if (!tests.exec(QStringLiteral("SELECT t.Order_id, t.TestCode FROM tests t JOIN patients p ON p.Order_id = t.Order_id "
                                   "ORDER BY %1, t.Test_id").arg(by)))
        throw EDatabaseError(db, tests.lastError());
    bool testAhead = tests.next();
    LisRegistration r;
    while (patients.next()) {
        r.orderId = patients.value(0).toLongLong();
        r.accnNum = patients.value(1).toLongLong();
        for (int i = 0; i < int(std::size(TextColumns)); ++i)
            r.*TextColumns[i] = patients.value(2 + i).toString();
        r.tests.clear();
        while (testAhead && tests.value(0).toLongLong() == r.orderId) {
            r.tests << tests.value(1).toString();
            testAhead = tests.next();
        }
        take(r);
    }
    if (patients.lastError().isValid())
        throw EDatabaseError(db, patients.lastError());
}

} // namespace Tabrix
