#include "lis/LisRegistration.h"
#include "register/RegisterStatement.h"

#include <QSqlError>

namespace Tabrix {

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
        r.accnStr = patients.value(2).toString();
        r.created = patients.value(3).toString();
        r.lastName = patients.value(4).toString();
        r.firstName = patients.value(5).toString();
        r.middleInitial = patients.value(6).toString();
        r.gender = patients.value(7).toString();
        r.patientId = patients.value(8).toString();
        r.dob = patients.value(9).toString();
        r.location = patients.value(10).toString();
        r.collectionDate = patients.value(11).toString();
        r.collectionTime = patients.value(12).toString();
        r.receiveDate = patients.value(13).toString();
        r.receiveTime = patients.value(14).toString();
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
