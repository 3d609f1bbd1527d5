#pragma once
#include "register/Cursor.h"

#include <QSqlDatabase>
#include <QStringList>

class QPainter;
class QPrinter;
class QWidget;

namespace Tabrix {

// The printed patient log: every registration in the log's order, a line each with
// a line of its test codes beneath, on US Letter with half-inch margins, page
// header, column titles and a footer with the station, the moment of printing and
// the page number on every page. It reads through cursors of its own on the main
// window's connection.
class PatientLogReport {
public:
    static constexpr const char *Title = "Tabrix Patient Log";

    // `station`: the station's name, in every page's footer.
    PatientLogReport(const QSqlDatabase &db, const QStringList &sortFields, const QString &station);
    ~PatientLogReport();

    // Lays out and prints every page on `printer`.
    void print(QPrinter &printer);

    // The footer's station name, and the test codes of the current patient as comma text.
    QString stationLine() const;
    QString testCodesLine();

    Cursor tblPatients{QStringLiteral("patients"), QStringLiteral("Order_id")};
    Cursor tblTests{QStringLiteral("tests"), QStringLiteral("Test_id")};

private:
    void pageHeader(QPainter &p, double mm);
    void pageFooter(QPainter &p, double mm, int page);
    QString m_station;
};

// Print (or, for File > Print Preview, preview) the patient log: the print dialog
// starts on the default printer, which becomes the program's current printer; the
// printer chosen stays current for the labels afterwards. Errors are shown.
void PrintPatientLog(QWidget *parent, const QSqlDatabase &db, const QStringList &sortFields, const QString &station,
                     bool preview);

} // namespace Tabrix
