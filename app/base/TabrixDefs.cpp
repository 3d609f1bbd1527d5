#include "app/base/TabrixDefs.h"
#include "app/base/IniFile.h"
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
    const QString &ini = SettingsFile;
    TAccn.MinValue = IniFile::ReadInteger(ini, "Ranges", "MinValue", 0);
    TAccn.MaxValue = IniFile::ReadInteger(ini, "Ranges", "MaxValue", 0);
    StationID = IniFile::ReadString(ini, "Defaults", "StationID", "Tabrix Station");
    Location = IniFile::ReadString(ini, "Defaults", "Location", QString());
    // A present but empty Gender keeps the gender in force.
    const QString gender = IniFile::ReadString(ini, "Defaults", "Gender", QString(Gender));
    if (!gender.isEmpty())
        Gender = gender.front();
    IllegalChars = IniFile::ReadString(ini, "Defaults", "IllegalChars", IllegalChars);
    ShowSplash = IniFile::ReadBool(ini, "Defaults", "ShowSplash", true);
    SplashInterval = IniFile::ReadInteger(ini, "Defaults", "SplashInterval", 5000);
    PrinterWait = IniFile::ReadInteger(ini, "Defaults", "PrinterWait", 1000);
    PrinterName = IniFile::ReadString(ini, "Printer", "Printer", QString());
    // The label printer named in the settings, if it is installed; else the default.
    if (!Printers::SelectByName(PrinterName))
        Printers::SetCurrentPrinter(QString());
}

} // namespace Tabrix::TabrixDefs
