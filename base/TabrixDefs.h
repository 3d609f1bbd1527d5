#pragma once
#include <QChar>
#include <QString>

// What the whole program holds fixed: the separators of its dates and times, the
// default product page and its version. (The station's settings are its Station.)
namespace Tabrix::TabrixDefs {

// The program always writes and reads dates with "/" and times with ":",
// whatever the desktop's regional settings say.
inline constexpr QChar DateSeparator = u'/';
inline constexpr QChar TimeSeparator = u':';

// The product page opened by the banner unless Banner/URL names another.
inline const QString DefaultHelpURL = QStringLiteral("https://tabrix.example.org/");

// The program's version, "2.0.0.6".
inline QString AppVersion()
{
    return QStringLiteral(TABRIX_VERSION);
}

} // namespace Tabrix::TabrixDefs
