#include "base/ui/ExportProgress.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>

namespace Tabrix {

ExportProgress::ExportProgress(QWidget *parent, const QString &title, const QString &what, const QString &done)
    : m_dialog(title + QStringLiteral("..."), QStringLiteral("Cancel"), 0, 0, parent), m_what(what), m_done(done)
{
    m_dialog.setObjectName(QStringLiteral("ExportProgress"));
    m_dialog.setWindowTitle(title);
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setMinimumDuration(500);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
}

bool ExportProgress::update(qint64 written, qint64 total)
{
    // The window system goes on at every call (a modal progress window runs it as its
    // value changes); the count is shown anew at every half per cent.
    if (m_shown >= 0 && written < total && written - m_shown < std::max<qint64>(1, total / 200)) {
        QCoreApplication::processEvents();
        return !m_dialog.wasCanceled();
    }
    m_shown = written;
    m_dialog.setMaximum(int(std::min<qint64>(total, INT_MAX)));
    m_dialog.setValue(int(std::min<qint64>(written, INT_MAX)));
    m_dialog.setLabelText(QStringLiteral("%1 of %2 %3 %4").arg(written).arg(total).arg(m_what, m_done));
    return !m_dialog.wasCanceled();
}

} // namespace Tabrix
