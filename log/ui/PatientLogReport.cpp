#include "log/ui/PatientLogReport.h"
#include "base/Clock.h"
#include "base/CommaText.h"
#include "base/Prompter.h"
#include "base/DateFormat.h"
#include "labels/Printers.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace Tabrix {

namespace {

// Band heights and positions in millimetres.
constexpr double BandWidth = 190.5, BodyHeight = 254.0;
constexpr double HeaderHeight = 13.0, ColumnsHeight = 8.5, DetailHeight = 5.3, SubDetailHeight = 6.6, FooterHeight = 12.2;

struct Column {
    double left, width;
    const char *title, *field;
};
constexpr Column columns[] = {
    {4.2, 12.7, "Accession", "AccnStr"},     {27.5, 29.9, "Last Name", "Last_Name"},
    {59.3, 36.2, "First Name", "First_Name"}, {99.5, 27.8, "Patient ID", "Patient_id"},
    {129.1, 6.6, "Sex", "Gender"},           {137.6, 23.8, "Coll. Date", "Collection_date"},
    {163.0, 17.2, "Coll. Time", "Collection_Time"},
};

QFont arial(double points, bool bold = false, bool italic = false, bool underline = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    return f;
}

// Text at (x, y) mm, kept inside its box of `width` mm.
void text(QPainter &p, double mm, double x, double y, double width, double height, const QString &s,
          Qt::Alignment align = Qt::AlignLeft)
{
    const QRectF box(x * mm, y * mm, width * mm, height * mm);
    p.save();
    p.setClipRect(box);
    p.drawText(box, int(align | Qt::AlignTop) | Qt::TextSingleLine, s);
    p.restore();
}

} // namespace

PatientLogReport::PatientLogReport(const QSqlDatabase &db, const QStringList &sortFields, const QString &station)
    : m_station(station)
{
    tblPatients.setDatabase(db);
    tblPatients.setSortFields(sortFields);
    tblTests.setDatabase(db);
    tblTests.setSortFields({QStringLiteral("Order_id")});
    tblTests.setMaster(&tblPatients, QStringLiteral("Order_id"));
    tblPatients.Open();
    tblTests.Open();
}

PatientLogReport::~PatientLogReport()
{
    tblTests.Close();
    tblPatients.Close();
}

QString PatientLogReport::stationLine() const
{
    return m_station;
}

QString PatientLogReport::testCodesLine()
{
    QStringList codes;
    for (const QSqlRecord &test : tblTests.rows(100000))
        codes << test.value(QStringLiteral("TestCode")).toString().trimmed();
    return CommaText(codes);
}

void PatientLogReport::pageHeader(QPainter &p, double mm)
{
    p.fillRect(QRectF(0, 0, BandWidth * mm, HeaderHeight * mm), QColor(192, 192, 192));
    p.setFont(arial(18, true));
    text(p, mm, 0, 1.3, BandWidth, HeaderHeight - 1.3, QString::fromLatin1(Title), Qt::AlignHCenter);
    p.setFont(arial(10, true, false, true));
    for (const Column &c : columns)
        text(p, mm, c.left, HeaderHeight + 2.1, c.width + 10, ColumnsHeight - 2.1, QString::fromLatin1(c.title));
}

void PatientLogReport::pageFooter(QPainter &p, double mm, int page)
{
    const double top = BodyHeight - FooterHeight;
    p.fillRect(QRectF(0, top * mm, BandWidth * mm, FooterHeight * mm), QColor(192, 192, 192));
    p.setFont(arial(10));
    text(p, mm, 0.5, top + 1.3, 120, 5, stationLine());
    text(p, mm, 141.8, top + 1.3, 48, 5, FormatDateTime(QStringLiteral("c"), Clock::now(), QLocale::system()));
    text(p, mm, 141.8, top + 6.9, 10, 5, QStringLiteral("Page:"));
    text(p, mm, 152.4, top + 6.9, 20, 5, QString::number(page));
}

void PatientLogReport::print(QPrinter &printer)
{
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
    printer.setDocName(QString::fromLatin1(Title));
    QPainter p;
    if (!p.begin(&printer))
        throw ETabrixError(QStringLiteral("The printer %1 cannot be started").arg(printer.printerName()));
    const double mm = printer.resolution() / 25.4;
    int page = 1;
    pageHeader(p, mm);
    double y = HeaderHeight + ColumnsHeight;
    const double bottom = BodyHeight - FooterHeight;
    if (!tblPatients.IsEmpty())
        tblPatients.First();
    while (!tblPatients.IsEmpty()) {
        if (y + DetailHeight + SubDetailHeight > bottom) {
            pageFooter(p, mm, page);
            printer.newPage();
            pageHeader(p, mm);
            y = HeaderHeight + ColumnsHeight;
            ++page;
        }
        p.setFont(arial(10));
        for (const Column &c : columns)
            text(p, mm, c.left, y + 1.1, c.width, DetailHeight - 1.1, tblPatients.asString(QString::fromLatin1(c.field)));
        y += DetailHeight;
        p.setFont(arial(10, false, true));
        text(p, mm, 10.6, y + 1.1, BandWidth - 10.6, SubDetailHeight - 1.1, testCodesLine());
        y += SubDetailHeight;
        tblPatients.Next();
        if (tblPatients.Eof())
            break;
    }
    pageFooter(p, mm, page);
    p.end();
}

void PrintPatientLog(QWidget *parent, const QSqlDatabase &db, const QStringList &sortFields, const QString &station,
                     bool preview)
{
    try {
        // A new report starts on the default printer, and so does the program.
        Printers::SetCurrentPrinter(QString());
        QPrinter printer;
        if (preview) {
            QPrintPreviewDialog dialog(&printer, parent);
            QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, [&](QPrinter *target) {
                PatientLogReport(db, sortFields, station).print(*target);
            });
            dialog.exec();
            return;
        }
        QPrintDialog dialog(&printer, parent);
        dialog.setObjectName(QStringLiteral("PrintDialog1"));
        if (dialog.exec() != QDialog::Accepted)
            return;
        Printers::SetCurrentPrinter(printer.printerName());
        PatientLogReport(db, sortFields, station).print(printer);
    } catch (const ETabrixError &e) {
        ShowError(e.message());
    }
}

} // namespace Tabrix
