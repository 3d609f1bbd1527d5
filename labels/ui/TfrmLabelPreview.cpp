#include "labels/ui/TfrmLabelPreview.h"
#include "base/Prompter.h"
#include "labels/preview/LabelPreview.h"
#include "labels/ui/LabelPictures.h"
#include "register/RecordLifecycle.h"
#include "register/RecordStore.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tabrix {

TfrmLabelPreview::TfrmLabelPreview(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLabelPreview"));
    setWindowTitle(QStringLiteral("Preview Labels"));
    resize(560, 520);
    m_pictures = new LabelPictures(this);
    m_print = new QPushButton(QStringLiteral("&Print"), this);
    m_print->setObjectName(QStringLiteral("btnPrint"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("btnClose"));
    m_close->setDefault(true); // Enter only looks; printing takes the Print button
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pictures, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_print);
    buttons->addWidget(m_close);
    layout->addLayout(buttons);
    connect(m_print, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmLabelPreview::showLabels(const QList<RecordLabel> &labels)
{
    LabelPreview all;
    QStringList names;
    for (const RecordLabel &label : labels) {
        const LabelPreview one = RenderLabels(label.bytes);
        if (!one.error.isEmpty()) {
            m_pictures->showPreview(one);
            return;
        }
        for (const LabelPicture &picture : one.labels) {
            all.labels << picture;
            names << label.name;
        }
    }
    m_pictures->showPreview(all, names);
}

bool PreviewLabels1Click(QWidget *parent, const PrinterDefinition &definition, RecordLifecycle &lifecycle,
                         RecordStore &store)
{
    const Registration record = RegistrationToPrint(definition, lifecycle, store);
    if (record.isNull())
        return false;
    TfrmLabelPreview preview(parent);
    preview.showLabels(RegistrationLabels(definition.lines, record, store.station().settings()));
    return preview.exec() == QDialog::Accepted;
}

} // namespace Tabrix
