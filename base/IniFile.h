#pragma once
#include <QString>

namespace Tabrix {

// The settings file, read and written one key at a time with nothing cached, so
// every read sees the file as it is now. Section and key names match without
// regard to case; a missing file, section or key gives the caller's default; at
// most 2047 characters of a value come back. Lines end at CR LF, LF or CR; a
// UTF-8 byte-order mark is skipped (and kept). A write creates file, section and
// key as needed, replaces an existing value in place, leaves every other line
// as it was, and replaces the file atomically.
namespace IniFile {

constexpr int MaxValueLength = 2047;

// Why the settings file cannot be read at all (it is UTF-16 text), naming it and
// what to do; empty when it can. Such a file reads as if empty and is never written.
QString EncodingFault(const QString &path);

QString ReadString(const QString &path, const QString &section, const QString &key,
                   const QString &defaultValue);
// Integer form of the integer text reader; anything else gives the default.
qint32 ReadInteger(const QString &path, const QString &section, const QString &key,
                   qint32 defaultValue);
// Read as an integer; any non-zero number is true.
bool ReadBool(const QString &path, const QString &section, const QString &key,
              bool defaultValue);

// Raises ETabrixError "Unable to write to <path>" when the write is refused
// (a read-only file included).
void WriteString(const QString &path, const QString &section, const QString &key,
                 const QString &value);
void WriteInteger(const QString &path, const QString &section, const QString &key,
                  qint32 value);
void WriteBool(const QString &path, const QString &section, const QString &key, bool value);

} // namespace IniFile
} // namespace Tabrix
