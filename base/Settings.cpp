#include "base/Settings.h"
#include "base/IniFile.h"
#include "base/TabrixDefs.h"

namespace Tabrix::Settings {

template <>
QString Key<QString>::read(const QString &defaultValue) const
{
    return IniFile::ReadString(TabrixDefs::SettingsFile, m_section, m_name, defaultValue);
}

template <>
qint32 Key<qint32>::read(const qint32 &defaultValue) const
{
    return IniFile::ReadInteger(TabrixDefs::SettingsFile, m_section, m_name, defaultValue);
}

template <>
bool Key<bool>::read(const bool &defaultValue) const
{
    return IniFile::ReadBool(TabrixDefs::SettingsFile, m_section, m_name, defaultValue);
}

template <>
void Key<QString>::write(const QString &value) const
{
    IniFile::WriteString(TabrixDefs::SettingsFile, m_section, m_name, value);
}

template <>
void Key<qint32>::write(const qint32 &value) const
{
    IniFile::WriteInteger(TabrixDefs::SettingsFile, m_section, m_name, value);
}

template <>
void Key<bool>::write(const bool &value) const
{
    IniFile::WriteBool(TabrixDefs::SettingsFile, m_section, m_name, value);
}

} // namespace Tabrix::Settings
