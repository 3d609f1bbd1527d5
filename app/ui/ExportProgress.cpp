#include "app/ui/ExportProgress.h"

#include <algorithm>
#include <climits>

namespace Tabrix {

ExportProgress::ExportProgress(QWidget *parent, const QString &title, const QString &what)
    : m_dialog(title + QStringLiteral("..."), QStringLiteral("Cancel"), 0, 0, parent), m_what(what)
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
    // A modal progress window keeps the window system going as its value changes.
    m_dialog.setMaximum(int(std::min<qint64>(total, INT_MAX)));
    m_dialog.setValue(int(std::min<qint64>(written, INT_MAX)));
    m_dialog.setLabelText(QStringLiteral("%1 of %2 %3 written").arg(written).arg(total).arg(m_what));
    return !m_dialog.wasCanceled();
}

} // namespace Tabrix
