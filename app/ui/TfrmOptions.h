#pragma once
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace Tabrix {

class Station;

// The station's options: its name, the splash, the defaults of new records, the
// characters refused in entry boxes, the wait between labels and the accession
// range. Done checks the range, then puts every value into force and writes the
// settings file; any other way of closing changes nothing.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // Edits a copy of the station's settings; Done applies it to `station`.
    explicit TfrmOptions(Station &station, QWidget *parent = nullptr);

    // After the dialog closed with Done: puts the values into force and writes the
    // settings file. A refused write raises "Unable to write to ..." midway.
    void FormClose();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void btnOKClick();

    Station &m_station;
    QTabWidget *PageControl1;
    QLineEdit *eStationID, *eLocation, *eChars, *eAccnMin, *eAccnMax;
    QCheckBox *cbShowSplash;
    QComboBox *cbSex;
    QSpinBox *sePrintWait;
    QCheckBox *cbVerifyLabels;
    QPushButton *btnCancel, *btnOK;
};

} // namespace Tabrix
