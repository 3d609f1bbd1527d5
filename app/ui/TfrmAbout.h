#pragma once
#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace Tabrix {

// The about box: shown once at start-up (closing by itself after a minute) and
// from the About menu (staying until closed).
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    QTimer Timer1; // 60000 ms, off when built; only start-up starts it
    QLabel *lblVersion;
    QList<QLabel *> emailLinks;
    QPushButton *btnOK;

    // Either e-mail link clicked: the mail program on "mailto:" and the address.
    void Label3Click(QLabel *link);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace Tabrix
