#include "app/ui/Startup.h"
#include "base/EventLog.h"
#include "base/IniFile.h"
#include "base/Prompter.h"
#include "base/SingleInstance.h"
#include "base/StationAccess.h"
#include "labels/Printers.h"
#include "register/RegisterCheck.h"
#include "register/Station.h"
#include "app/ui/TfrmMain.h"
#include "base/ui/Pictures.h"
#include "app/ui/TfrmSplash.h"
#include "log/ui/TfrmPatientLog.h"

#include <QScopeGuard>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <memory>

namespace Tabrix {

namespace {

// Any "*.gif" in the splash folder, drawn at random.
QString chooseSplashPicture(const QString &splashDir)
{
    const QDir dir(splashDir);
    const QStringList files = dir.entryList({QStringLiteral("*.gif")}, QDir::Files | QDir::Hidden | QDir::System,
                                            QDir::Unsorted);
    if (files.isEmpty())
        return QString();
    return splashDir + files.at(QRandomGenerator::global()->bounded(int(files.size())));
}

bool showSplash(TfrmSplash &splash, const StationSettings &settings)
{
    if (!settings.ShowSplash || !QFileInfo(settings.SplashFile).isFile())
        return false;
    if (!splash.loadPicture(settings.SplashFile))
        return false;
    splash.show();
    splash.repaint();
    QApplication::processEvents(); // painted before the register opens
    splash.closeAfter(settings.SplashInterval);
    return true;
}

// Keeps the window system going while the splash stands: its timer closes it, or
// the user moves on to another window.
void waitForSplash(TfrmSplash &splash)
{
    bool wasActive = false;
    while (splash.isVisible()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (splash.isActiveWindow())
            wasActive = true;
        else if (wasActive)
            break;
    }
}

} // namespace

int RunTabrix(QApplication &app, Prompter &prompter, const QString &programFile)
{
    // The paths, then the settings, before anything else; the label printer they name.
    Station station(programFile);
    Printers::SelectSettingsPrinter(station.settings().PrinterName);
    const ProgramFiles &files = station.files();
    QString printer = QStringLiteral("none");
    try {
        printer = Printers::CurrentPrinterName();
    } catch (const ETabrixError &) {
        // no printer at all: said at the first print, as ever
    }
    EventLog::Write(QStringLiteral("start: tabrix %1 in %2, station %3, printer %4")
                        .arg(QStringLiteral(TABRIX_VERSION), files.ProgramDir, station.settings().StationID, printer));
    const auto end = qScopeGuard([] { EventLog::Write(QStringLiteral("end")); });
    installPrompter(&prompter);
    const std::unique_ptr<Prompter, void (*)(Prompter *)> uninstall(&prompter, [](Prompter *) { installPrompter(nullptr); });

    QString refusal = GroupWriteRefusal({files.SettingsFile, files.withExt(QStringLiteral(".udl")), files.PrinterDefFile});
    if (refusal.isEmpty())
        refusal = IniFile::EncodingFault(files.SettingsFile); // its range and defaults would all be lost
    if (!refusal.isEmpty()) {
        std::fprintf(stderr, "tabrix: %s\n", qPrintable(refusal)); // for the administrator at a terminal too
        ShowError(refusal);
        return 2;
    }
    SingleInstance instance;
    switch (instance.acquire()) {
    case SingleInstance::Acquired::Only:
        break;
    case SingleInstance::Acquired::AnotherCopy:
        instance.requestShow();
        return 0;
    case SingleInstance::Acquired::Failed:
        ShowError(instance.failure());
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Tabrix"));
    // Every window carries the program's picture; the desktop matches it to its entry.
    QApplication::setWindowIcon(QIcon(Pictures::program()));
    QGuiApplication::setDesktopFileName(QStringLiteral("tabrix"));

    TfrmMain main(station);
    main.setWindowTitle(QString::fromLatin1(TfrmMain::Caption));
    instance.listen([&main] { main.bringToFront(); });

    auto splash = std::make_unique<TfrmSplash>();
    StationSettings thisRun = station.settings();
    thisRun.SplashFile = chooseSplashPicture(files.SplashDir);
    station.putInForce(thisRun);
    if (!showSplash(*splash, station.settings()))
        splash->close();

    bool opened = true;
    try {
        main.store().Connect(files.withExt(QStringLiteral(".udl")));
        if (const QStringList &damage = main.store().damage(); !damage.isEmpty())
            ShowError(DamagedRegisterText(main.store().database(), files.ProgramDir, damage));
    } catch (const ETabrixError &e) {
        ShowError(QStringLiteral("Database Error:  ") + e.message());
        opened = false;
    }

    TfrmPatientLog patientLog(station, &main);
    main.setPatientLog(&patientLog);

    waitForSplash(*splash);
    splash.reset();

    if (!opened)
        return 1; // ends without showing the main window or saving its position

    main.show();
    return app.exec();
}

} // namespace Tabrix
