#pragma once
#include <QProgressDialog>

namespace Tabrix {

// The progress window of a long export: it appears only once the export has taken
// half a second, counts what was written of the whole, and offers Cancel. The
// window stays responsive meanwhile.
class ExportProgress {
public:
    // `what` names the rows counted ("patients", "labels").
    ExportProgress(QWidget *parent, const QString &title, const QString &what);
    // For the export's keepGoing: shows the count; false once Cancel was chosen.
    bool update(qint64 written, qint64 total);

private:
    QProgressDialog m_dialog;
    QString m_what;
    qint64 m_shown = -1; // the count last shown
};

} // namespace Tabrix
