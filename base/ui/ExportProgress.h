#pragma once
#include <QProgressDialog>

namespace Tabrix {

// The progress window of a long export: it appears only once the export has taken
// half a second, counts what was written of the whole, and offers Cancel. The
// window stays responsive meanwhile.
class ExportProgress {
public:
    // `what` names the rows counted ("patients", "labels"), `done` what became of
    // them ("written", "sent").
    ExportProgress(QWidget *parent, const QString &title, const QString &what,
                   const QString &done = QStringLiteral("written"));
    // For the export's keepGoing: shows the count; false once Cancel was chosen.
    bool update(qint64 written, qint64 total);

private:
    QProgressDialog m_dialog;
    QString m_what, m_done;
    qint64 m_shown = -1; // the count last shown
};

} // namespace Tabrix
