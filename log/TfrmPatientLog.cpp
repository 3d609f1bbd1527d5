#include "log/TfrmPatientLog.h"

namespace Tabrix {

TfrmPatientLog::TfrmPatientLog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPatientLog"));
    setWindowTitle(QStringLiteral("Patient Log"));
}

} // namespace Tabrix
