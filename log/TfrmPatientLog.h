#pragma once
#include <QDialog>

namespace Tabrix {

// The patient log: built once at start-up, hidden, and shown on each use.
class TfrmPatientLog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPatientLog(QWidget *parent = nullptr);
};

} // namespace Tabrix
