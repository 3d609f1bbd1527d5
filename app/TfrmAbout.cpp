#include "app/TfrmAbout.h"
#include "app/Pictures.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tabrix {

TfrmAbout::TfrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tabrix"));
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setPixmap(Pictures::program());
    top->addWidget(picture, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    auto *product = new QLabel(QStringLiteral("tabrix"), this);
    QFont f = product->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    product->setFont(f);
    texts->addWidget(product);
    auto *version = new QLabel(QStringLiteral("Version: %1").arg(QStringLiteral(TABRIX_VERSION)), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    texts->addWidget(version);
    top->addLayout(texts, 1);
    layout->addLayout(top);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Timer1.setInterval(60000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &QDialog::reject);
}

} // namespace Tabrix
