#include "app/ui/TfrmHelp.h"
#include "base/Prompter.h"
#include "base/TabrixError.h"
#include "app/ui/CenteredButtonBar.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace Tabrix {

TfrmHelp::TfrmHelp(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Help"));
    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setOpenExternalLinks(true);
    auto *bar = new CenteredButtonBar(QStringLiteral("Done"), 44, this);
    bar->setObjectName(QStringLiteral("Panel1"));
    btnOK = bar->button();
    btnOK->setFixedWidth(160);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1, 1);
    layout->addWidget(bar);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    resize(678, 482);
}

void TfrmHelp::load(const QString &file)
{
    const QFileInfo info(file);
    if (info.exists() && (!info.isFile() || !info.isReadable()))
        throw ETabrixError(QStringLiteral("The help page %1 cannot be read").arg(file));
    WebBrowser1->setSource(QUrl::fromLocalFile(file));
}

void Help1Click(QWidget *parent, const QString &helpFile)
{
    try {
        TfrmHelp help(parent);
        help.load(helpFile);
        help.exec();
    } catch (const std::exception &) {
        ShowError(QStringLiteral("Help is unavailable"));
    }
}

} // namespace Tabrix
