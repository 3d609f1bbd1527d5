#include "app/ui/Startup.h"
#include "base/IniFile.h"
#include "base/Prompter.h"
#include "base/SingleInstance.h"
#include "base/StationAccess.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmMain.h"
#include "base/ui/Pictures.h"
#include "app/ui/TfrmSplash.h"
#include "log/ui/TfrmPatientLog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdio>
#include <memory>

namespace Tabrix {

namespace {

// Any "*.gif" in the splash folder, drawn at random.
QString chooseSplashPicture()
{
    const QDir dir(TabrixDefs::SplashDir);
    const QStringList files = dir.entryList({QStringLiteral("*.gif")}, QDir::Files | QDir::Hidden | QDir::System,
                                            QDir::Unsorted);
    if (files.isEmpty())
        return QString();
    return TabrixDefs::SplashDir + files.at(QRandomGenerator::global()->bounded(int(files.size())));
}

bool showSplash(TfrmSplash &splash)
{
    if (!TabrixDefs::ShowSplash || !QFileInfo(TabrixDefs::SplashFile).isFile())
        return false;
    if (!splash.loadPicture(TabrixDefs::SplashFile))
        return false;
    splash.show();
    splash.repaint();
    QApplication::processEvents(); // painted before the register opens
    splash.Timer1.setInterval(TabrixDefs::SplashInterval);
    splash.Timer1.start();
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
    TabrixDefs::Initialise(programFile);
    installPrompter(&prompter);
    const std::unique_ptr<Prompter, void (*)(Prompter *)> uninstall(&prompter, [](Prompter *) { installPrompter(nullptr); });

    QString refusal = GroupWriteRefusal({TabrixDefs::SettingsFile, TabrixDefs::ProgramFileWithExt(QStringLiteral(".udl")),
                                         TabrixDefs::PrinterDefFile});
    if (refusal.isEmpty())
        refusal = IniFile::EncodingFault(TabrixDefs::SettingsFile); // its range and defaults would all be lost
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

    TfrmMain main;
    main.setWindowTitle(QString::fromLatin1(TfrmMain::Caption));
    instance.listen([&main] { main.bringToFront(); });

    auto splash = std::make_unique<TfrmSplash>();
    TabrixDefs::SplashFile = chooseSplashPicture();
    if (!showSplash(*splash))
        splash->close();

    bool opened = true;
    try {
        main.store().Connect(TabrixDefs::ProgramFileWithExt(QStringLiteral(".udl")));
    } catch (const ETabrixError &e) {
        ShowError(QStringLiteral("Database Error:  ") + e.message());
        opened = false;
    }

    TfrmPatientLog patientLog(&main);
    main.setPatientLog(&patientLog);

    waitForSplash(*splash);
    splash.reset();

    if (!opened)
        return 1; // ends without showing the main window or saving its position

    main.show();
    return app.exec();
}

} // namespace Tabrix
