#include "register/Station.h"
#include "base/IniFile.h"
#include "register/SQUtils.h"

namespace Tabrix {

Station::Station(const QString &programFilePath, QObject *parent)
    : QObject(parent), m_files(ProgramFiles::Of(programFilePath))
{
    LoadSettings();
}

void Station::LoadSettings()
{
    StationSettings &s = m_settings;
    s.TAccn.MinValue = read(Settings::MinValue);
    s.TAccn.MaxValue = read(Settings::MaxValue);
    s.StationID = read(Settings::StationID);
    s.Location = read(Settings::Location);
    // A present but empty Gender keeps the gender in force.
    if (const QString gender = read(Settings::Gender, QString(s.Gender)); !gender.isEmpty())
        s.Gender = gender.front();
    s.IllegalChars = read(Settings::IllegalChars, s.IllegalChars);
    s.ShowSplash = read(Settings::ShowSplash);
    s.SplashInterval = read(Settings::SplashInterval);
    s.PrinterWait = read(Settings::PrinterWait);
    s.LabelUTF8 = read(Settings::LabelUTF8);
    s.VerifyLabels = read(Settings::VerifyLabels);
    s.PrinterName = read(Settings::Printer);
}

void Station::take(const StationSettings &values)
{
    const qint64 next = m_settings.TAccn.NextNum; // the register's business, not the settings'
    m_settings = values;
    m_settings.TAccn.NextNum = next;
}

void Station::putInForce(const StationSettings &values)
{
    take(values);
    emit changed();
}

void Station::apply(const StationSettings &edited)
{
    take(edited);
    const StationSettings &s = m_settings;
    write(Settings::MinValue, s.TAccn.MinValue);
    write(Settings::MaxValue, s.TAccn.MaxValue);
    write(Settings::StationID, s.StationID);
    write(Settings::Location, s.Location);
    write(Settings::Gender, QString(s.Gender));
    write(Settings::IllegalChars, s.IllegalChars);
    write(Settings::ShowSplash, s.ShowSplash);
    write(Settings::SplashInterval, s.SplashInterval);
    write(Settings::SplashImage, s.SplashFile);
    write(Settings::PrinterWait, s.PrinterWait);
    write(Settings::VerifyLabels, s.VerifyLabels);
    emit changed();
}

QString Station::rangeFault() const
{
    const TAccnRecord &range = m_settings.TAccn;
    const std::pair<const Settings::Integer *, qint32> ends[] = {{&Settings::MinValue, range.MinValue},
                                                                 {&Settings::MaxValue, range.MaxValue}};
    for (const auto &[key, value] : ends) {
        if (!AccnNumToStr(value).isEmpty())
            continue;
        const QString section = QString::fromLatin1(key->section()), name = QString::fromLatin1(key->name());
        const QString written = IniFile::ReadString(m_files.SettingsFile, section, name, QString::number(value));
        return QStringLiteral("The accession range in the settings file %1 cannot be used: %2/%3 is \"%4\", which reads "
                              "as %5, no accession number. Write each end of the range there as its number (for example "
                              "MinValue=100012345 for X12345 and MaxValue=100020000 for X20000), or set the range in "
                              "Edit > Preferences > Accn Range.")
            .arg(m_files.SettingsFile, section, name, written)
            .arg(value);
    }
    return QString();
}

} // namespace Tabrix
