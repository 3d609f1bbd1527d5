#pragma once
#include <QString>

// What the program and its tools do, for support: start and end, the register
// opened, lost and reopened, each save and delete, each label and LIS message,
// each error shown. One file per user in the XDG state folder
// (~/.local/state/tabrix/tabrix.log), rotated at 1 MiB with five files kept, and
// the system log (tag "tabrix", so journalctl -t tabrix shows it). A line names
// registrations by accession number only: never a patient's name, id or date of
// birth.
namespace Tabrix::EventLog {

constexpr qint64 MaxFileBytes = 1024 * 1024;
constexpr int Files = 5; // tabrix.log and tabrix.log.1 to .4

// Names the writer in every line from now on ("tabrix", "tabrix-register").
void SetProgram(const QString &program);
// Appends one line (a failure to write the log is never the caller's).
void Write(const QString &line);
// The log file of this user.
QString FilePath();

} // namespace Tabrix::EventLog
