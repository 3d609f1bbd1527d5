#include "base/Settings.h"
#include "base/IniFile.h"

namespace Tabrix::Settings {

template <>
QString Key<QString>::read(const QString &file, const QString &defaultValue) const
{
    return IniFile::ReadString(file, m_section, m_name, defaultValue);
}

template <>
qint32 Key<qint32>::read(const QString &file, const qint32 &defaultValue) const
{
    return IniFile::ReadInteger(file, m_section, m_name, defaultValue);
}

template <>
bool Key<bool>::read(const QString &file, const bool &defaultValue) const
{
    return IniFile::ReadBool(file, m_section, m_name, defaultValue);
}

template <>
void Key<QString>::write(const QString &file, const QString &value) const
{
    IniFile::WriteString(file, m_section, m_name, value);
}

template <>
void Key<qint32>::write(const QString &file, const qint32 &value) const
{
    IniFile::WriteInteger(file, m_section, m_name, value);
}

template <>
void Key<bool>::write(const QString &file, const bool &value) const
{
    IniFile::WriteBool(file, m_section, m_name, value);
}

} // namespace Tabrix::Settings
