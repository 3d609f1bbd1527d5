#include "base/TabrixDefs.h"
#include "labels/ui/PrinterSetup.h"
#include "labels/Printers.h"
#include "tests/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {
// Answers the print dialog once it shows: picks `printer` (if given) and confirms, or cancels.
void answerPrintDialog(const QString &printer, bool confirm)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        if (!printer.isEmpty())
            for (QComboBox *box : dialog->findChildren<QComboBox *>())
                if (int i = box->findText(printer); i >= 0)
                    box->setCurrentIndex(i);
        confirm ? dialog->accept() : dialog->reject();
    });
    poll->start(20);
}
} // namespace

TEST(PrinterSetup, OnlyAConfirmedChoiceChangesThePrinterAndTheSettings)
{
    const QString sock = qEnvironmentVariable("TABRIX_CUPS_DIR") + "/cups.sock";
    QProcess::execute("lpadmin", {"-h", sock, "-p", "bench-two", "-E", "-v",
                                  "capture:" + qEnvironmentVariable("TABRIX_CUPS_DIR") + "/out"});
    Support::ProgramFolder folder;
    const QByteArray settings = "; kept as it is\n[Defaults]\nStationID=Lab\n";
    folder.writeFile("tabrix.ini", settings);
    Printers::SetCurrentPrinter(QString());

    answerPrintDialog("bench-two", false);
    PrinterSetup2Click(nullptr, folder.station);
    EXPECT_EQ(folder.readFile("tabrix.ini"), settings);
    EXPECT_EQ(Printers::CurrentPrinterName(), "tabrix-labels");

    answerPrintDialog("bench-two", true);
    PrinterSetup2Click(nullptr, folder.station);
    EXPECT_EQ(Printers::CurrentPrinterName(), "bench-two");
    EXPECT_EQ(folder.readFile("tabrix.ini"), settings + "\n[Printer]\nPrinter=bench-two\n");
    QProcess::execute("lpadmin", {"-h", sock, "-x", "bench-two"});
    Printers::SetCurrentPrinter(QString());
}
