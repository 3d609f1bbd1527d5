#pragma once
#include <QString>

namespace Tabrix {

// The program file's path with the extension of its name (not of a folder)
// replaced by `extension` (".udl" and the like); a name without a dot gets it appended.
QString ChangeFileExt(const QString &path, const QString &extension);

// The files kept beside the program, named after its file (a copy named station2
// uses station2.ini): worked out once from the program file's path.
struct ProgramFiles {
    QString ProgramFile;    // the program file itself
    QString ProgramDir;     // ends in "/"
    QString SplashDir;      // ProgramDir + "splash/"
    QString HelpFile;       // ProgramDir + "docs/index.html"
    QString PrinterDefFile; // program path with ".tpd"
    QString SettingsFile;   // program path with ".ini"

    static ProgramFiles Of(const QString &programFilePath);
    // Where the save dialogs of exports start: the program folder when this user
    // may write it, else the user's documents folder (or home).
    QString ExportFolder() const;
    // A file named like the program with another extension, beside it.
    QString withExt(const QString &extension) const { return ChangeFileExt(ProgramFile, extension); }
};

} // namespace Tabrix
