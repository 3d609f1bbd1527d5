#pragma once
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace Tabrix {

// A registration as the LIS gets it: the patient's columns as stored texts and
// its test codes in the order they were added.
struct LisRegistration {
    qint64 orderId = 0;
    qint64 accnNum = 0;
    QString accnStr;
    QString created; // as stored: its date is the year of a stored date without one
    QString lastName, firstName, middleInitial, gender, patientId, dob, location;
    QString collectionDate, collectionTime, receiveDate, receiveTime;
    QStringList tests;
};

// The order registrations are read in: by accession number, or each patient's
// together (by patient id, then accession number).
enum class RegistrationOrder { Accession, Patient };

// Hands every registration of the register to `take` in that order, read as it
// streams, so memory stays flat. Raises EDatabaseError.
void ForEachRegistration(const QSqlDatabase &db, RegistrationOrder order,
                         const std::function<void(const LisRegistration &)> &take);

} // namespace Tabrix
