#pragma once
#include <QDialog>
#include <QTimer>

namespace Tabrix {

// The about box: shown once at start-up (closing by itself after a minute) and
// from the About menu (staying until closed).
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    QTimer Timer1; // 60000 ms, off when built; only start-up starts it
};

} // namespace Tabrix
