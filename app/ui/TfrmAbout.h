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
    // At start-up: the box closes by itself after a minute (Timer1).
    void startAutoClose();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Either e-mail link clicked: the mail program on "mailto:" and the address.
    void Label3Click(QLabel *link);

    QTimer Timer1{this}; // 60000 ms, off when built
    QLabel *lblVersion;
    QList<QLabel *> emailLinks;
    QPushButton *btnOK;
};

} // namespace Tabrix
