#pragma once
#include <QChar>
#include <QString>

// What the whole program shares: the paths of the files kept beside the program,
// the settings read from the settings file, and the accession range.
namespace Tabrix {

// The accession range handed to this station. MinValue 0 means no range is set.
// NextNum is worked out when the register opens and lives in memory only. It is
// held in 64 bits so that the number after the largest never wraps round to a
// small one that is already given: above MaxValue it is refused.
struct TAccnRecord {
    qint32 MinValue = 0;
    qint32 MaxValue = 0;
    qint64 NextNum = 0;
};

namespace TabrixDefs {

// The program always writes and reads dates with "/" and times with ":",
// whatever the desktop's regional settings say.
inline constexpr QChar DateSeparator = u'/';
inline constexpr QChar TimeSeparator = u':';

// The product page opened by the banner unless Banner/URL names another.
inline const QString DefaultHelpURL = QStringLiteral("https://tabrix.example.org/");

// Paths, worked out once from the program file's path.
inline QString ProgramDir;     // ends in "/"
inline QString SplashDir;      // ProgramDir + "splash/"
inline QString HelpFile;       // ProgramDir + "docs/index.html"
inline QString PrinterDefFile; // program path with ".tpd"
inline QString SettingsFile;   // program path with ".ini"
inline QString ProgramFile;    // the program file itself, for the other derived files

inline QString HelpURL;
inline QString SplashFile;

// Settings variables, each named after its key.
inline QString StationID;
inline QString Location;
inline QChar Gender = u'M';
inline QString IllegalChars = QStringLiteral("\\#!$");
inline bool ShowSplash = true;
inline qint32 SplashInterval = 5000;
inline qint32 PrinterWait = 1000;
inline bool LabelUTF8 = false; // values reach the label as UTF-8 (for printers whose template selects it)
inline QString PrinterName; // Printer/Printer as read at start

// The program file's path with the extension of its name (not of a folder)
// replaced by `extension` (".udl" and the like); a name without a dot gets it appended.
QString ChangeFileExt(const QString &path, const QString &extension);
// A file named like the program with another extension, beside it.
QString ProgramFileWithExt(const QString &extension);

// The program's version, "2.0.0.6".
inline QString AppVersion()
{
    return QStringLiteral(TABRIX_VERSION);
}

// Runs once before anything else: paths, separators, default help address, settings.
void Initialise(const QString &programFilePath);
// Reads every setting of the program from the settings file, in a fixed order.
void LoadSettings();

} // namespace TabrixDefs

inline TAccnRecord TAccn;

} // namespace Tabrix
