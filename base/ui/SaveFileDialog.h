#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace Tabrix {

// Asks where an export goes: a save dialog named `objectName` (tests find it by
// that name) titled `title`, starting at `suggested` and offering `filter`; a name
// typed without an extension gets `suffix`. The chosen file, or empty when cancelled.
QString AskFileToSave(QWidget *parent, const QString &objectName, const QString &title, const QString &suggested,
                      const QString &filter, const QString &suffix);

// A whole table exported to a file the user chooses.
struct TableExport {
    QString title;      // "Export Label History": the dialog's and the progress window's
    QString objectName; // of the save dialog
    QString fileName;   // offered in the folder: "label_history.csv"
    QString counted;    // what the progress window counts: "labels"
    QString doneText;   // said afterwards, %1 the file: "The label history is in %1"
    // Writes the file; false when `keepGoing(written, total)` cancelled it.
    std::function<bool(const QString &file, const std::function<bool(qint64, qint64)> &keepGoing)> write;
};

// Asks for a CSV file (starting in `folder`), writes it with a progress window and
// Cancel for a long one, and says where it is. Raises what the writing raises.
void ExportTableToCsv(QWidget *parent, const QString &folder, const TableExport &exported);

} // namespace Tabrix
