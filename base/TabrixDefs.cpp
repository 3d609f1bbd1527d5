#include "base/TabrixDefs.h"
#include "base/Settings.h"
#include "labels/Printers.h"

#include <QFileInfo>

namespace Tabrix::TabrixDefs {

QString ChangeFileExt(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot > slash)
        return path.left(dot) + extension;
    return path + extension;
}

QString ProgramFileWithExt(const QString &extension)
{
    return ChangeFileExt(ProgramFile, extension);
}

void Initialise(const QString &programFilePath)
{
    ProgramFile = QFileInfo(programFilePath).absoluteFilePath();
    ProgramDir = QFileInfo(ProgramFile).absolutePath() + u'/';
    SplashDir = ProgramDir + QStringLiteral("splash/");
    HelpFile = ProgramDir + QStringLiteral("docs/index.html");
    PrinterDefFile = ChangeFileExt(ProgramFile, QStringLiteral(".tpd"));
    SettingsFile = ChangeFileExt(ProgramFile, QStringLiteral(".ini"));
    // Dates and times are always written with DateSeparator and TimeSeparator.
    HelpURL = DefaultHelpURL;
    LoadSettings();
}

void LoadSettings()
{
    TAccn.MinValue = Settings::MinValue.read();
    TAccn.MaxValue = Settings::MaxValue.read();
    StationID = Settings::StationID.read();
    Location = Settings::Location.read();
    // A present but empty Gender keeps the gender in force.
    const QString gender = Settings::Gender.read(QString(Gender));
    if (!gender.isEmpty())
        Gender = gender.front();
    IllegalChars = Settings::IllegalChars.read(IllegalChars);
    ShowSplash = Settings::ShowSplash.read();
    SplashInterval = Settings::SplashInterval.read();
    PrinterWait = Settings::PrinterWait.read();
    LabelUTF8 = Settings::LabelUTF8.read();
    PrinterName = Settings::Printer.read();
    // The label printer named in the settings, if it is installed; else the default.
    if (!Printers::SelectByName(PrinterName))
        Printers::SetCurrentPrinter(QString());
}

} // namespace Tabrix::TabrixDefs
