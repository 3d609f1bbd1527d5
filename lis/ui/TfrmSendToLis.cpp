#include "lis/ui/TfrmSendToLis.h"
#include "base/Prompter.h"
#include "base/ui/ExportProgress.h"
#include "base/ui/SaveFileDialog.h"
#include "lis/FhirBundle.h"
#include "lis/LisMessages.h"
#include "lis/LisSend.h"
#include "lis/OrderMessage.h"
#include "register/Station.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Tabrix {

TfrmSendToLis::TfrmSendToLis(const Station &station, const QSqlDatabase &db, QWidget *parent)
    : QDialog(parent), m_db(db), m_settingsFile(station.files().SettingsFile)
{
    setObjectName(QStringLiteral("frmSendToLis"));
    setWindowTitle(QStringLiteral("Send to LIS"));
    auto *layout = new QVBoxLayout(this);
    LisTarget = new QLabel(this);
    LisTarget->setObjectName(QStringLiteral("LisTarget"));
    LisTarget->setWordWrap(true);
    LisCounts = new QLabel(this);
    LisCounts->setObjectName(QStringLiteral("LisCounts"));
    LisList = new QTableWidget(0, 5, this);
    LisList->setObjectName(QStringLiteral("LisList"));
    LisList->setHorizontalHeaderLabels({QStringLiteral("Accn"), QStringLiteral("Patient"), QStringLiteral("State"),
                                        QStringLiteral("Next"), QStringLiteral("Why")});
    LisList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LisList->setSelectionBehavior(QAbstractItemView::SelectRows);
    LisList->verticalHeader()->hide();
    LisList->horizontalHeader()->setStretchLastSection(true);
    LisResult = new QPlainTextEdit(this);
    LisResult->setObjectName(QStringLiteral("LisResult"));
    LisResult->setReadOnly(true);
    LisResult->setMaximumHeight(120);
    auto *buttons = new QDialogButtonBox(this);
    SendButton = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::ActionRole);
    SendButton->setObjectName(QStringLiteral("SendButton"));
    CloseButton = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    for (QWidget *w : std::initializer_list<QWidget *>{LisTarget, LisCounts, LisList, LisResult, buttons})
        layout->addWidget(w);
    resize(760, 480);
    connect(SendButton, &QPushButton::clicked, this, [this] { RunGuarded([this] { sendClick(); }); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    readStates();
}

void TfrmSendToLis::readStates()
{
    m_settings = LisSettings::Read(m_settingsFile);
    const QString fault = m_settings.fault(m_settingsFile);
    if (!LisMessages(m_db).present()) {
        LisTarget->setText(LisMessages::missingText());
        SendButton->setEnabled(false);
        return;
    }
    LisTarget->setText(!fault.isEmpty() ? fault
                                        : QStringLiteral("Interface engine: %1:%2%3 (%4)")
                                              .arg(m_settings.host)
                                              .arg(m_settings.port)
                                              .arg(m_settings.tls ? QStringLiteral(", TLS") : QString(),
                                                   m_settings.legacyOrm ? QStringLiteral("ORM^O01, v2.3.1")
                                                                        : QStringLiteral("OML^O21, v2.5.1")));
    m_overview = ReadLisOverview(m_db, m_settings);
    QStringList counts;
    for (LisState state : AllStates) {
        QString name = StateText(state);
        name[0] = name[0].toUpper();
        counts << QStringLiteral("%1: %2").arg(name).arg(m_overview.count(state));
    }
    LisCounts->setText(counts.join(QStringLiteral("    ")));
    LisList->setRowCount(0);
    for (const LisItem &item : std::as_const(m_overview.items)) {
        if (item.state == LisState::Accepted)
            continue;
        const int row = LisList->rowCount();
        LisList->insertRow(row);
        const QString next = item.blocked                                   ? QStringLiteral("none: not sent")
                             : item.orderControl == OrderControl::New    ? QStringLiteral("new order (NW)")
                             : item.orderControl == OrderControl::Change ? QStringLiteral("change (XO)")
                                                                         : QStringLiteral("cancel (CA)");
        const QString cells[] = {item.accnStr, item.patient, StateText(item.state), next, item.why};
        for (int c = 0; c < 5; ++c)
            LisList->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    LisList->resizeColumnsToContents();
    SendButton->setEnabled(fault.isEmpty() && m_overview.toSend() > 0);
}

void TfrmSendToLis::sendClick()
{
    SendButton->setEnabled(false);
    LisResult->clear();
    LisSendReport report;
    try {
        ExportProgress progress(this, QStringLiteral("Send to LIS"), QStringLiteral("messages"), QStringLiteral("sent"));
        report = SendToLis(m_db, m_settings, m_overview,
                           [&](int done, int total) { return progress.update(done, total); },
                           [] { QCoreApplication::processEvents(); });
    } catch (const ETabrixError &e) {
        readStates();
        ShowError(e.message());
        return;
    }
    QStringList lines = report.lines;
    lines << QStringLiteral("%1 accepted, %2 refused, %3 not confirmed.").arg(report.accepted).arg(report.refused).arg(report.notConfirmed);
    if (report.cancelled)
        lines << QStringLiteral("Cancelled: the rest were not sent.");
    if (!report.stopped.isEmpty())
        lines << report.stopped;
    LisResult->setPlainText(lines.join(u'\n'));
    readStates();
}

void SendToLis1Click(QWidget *parent, const Station &station, const QSqlDatabase &db)
{
    TfrmSendToLis(station, db, parent).exec();
}

void ExportForLis1Click(QWidget *parent, const Station &station, const QSqlDatabase &db, const QString &folder)
{
    const QString file = AskFileToSave(parent, QStringLiteral("SaveLisBundle"), QStringLiteral("Export for LIS (FHIR)"),
                                       QDir(folder).filePath(QStringLiteral("lis_bundle.json")),
                                       QStringLiteral("FHIR Bundles (*.json)"), QStringLiteral("json"));
    if (file.isEmpty())
        return;
    ExportProgress progress(parent, QStringLiteral("Export for LIS (FHIR)"), QStringLiteral("registrations"));
    FhirExportReport report;
    const LisSettings settings = LisSettings::Read(station.files().SettingsFile);
    if (!ExportFhirBundle(db, settings, file, report, [&](qint64 written, qint64 total) { return progress.update(written, total); }))
        return;
    QString text = QStringLiteral("%1 registrations are in %2").arg(report.registrations).arg(QDir::toNativeSeparators(file));
    if (!report.leftOut.isEmpty())
        text += QStringLiteral("\n\nLeft out, as their values make no valid order:\n") + report.leftOut.join(u'\n');
    prompter().inform(text);
}

} // namespace Tabrix
