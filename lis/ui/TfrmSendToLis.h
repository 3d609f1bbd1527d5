#pragma once
#include "lis/LisSettings.h"
#include "lis/LisStates.h"

#include <QDialog>
#include <QSqlDatabase>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace Tabrix {

class Station;

// File > Send to LIS: the registrations' states with the LIS in counts, those
// still to send or refused with their reasons, Send with progress and Cancel, and
// afterwards what was accepted and what was not.
class TfrmSendToLis : public QDialog {
    Q_OBJECT
public:
    TfrmSendToLis(const Station &station, const QSqlDatabase &db, QWidget *parent = nullptr);

private:
    void readStates();
    void sendClick();

    QSqlDatabase m_db;
    QString m_settingsFile;
    LisSettings m_settings;
    LisOverview m_overview;
    QLabel *LisTarget, *LisCounts;
    QTableWidget *LisList;
    QPlainTextEdit *LisResult;
    QPushButton *SendButton, *CloseButton;
};

// Opens the window on the station's register; returns once it is closed.
void SendToLis1Click(QWidget *parent, const Station &station, const QSqlDatabase &db);
// File > Export for LIS (FHIR): asks for a file (starting in `folder`) and writes
// the register's FHIR bundle to it, with progress and Cancel; says what was left out.
void ExportForLis1Click(QWidget *parent, const Station &station, const QSqlDatabase &db, const QString &folder);

} // namespace Tabrix
