#include "app/ui/TfrmAbout.h"
#include "base/ui/Pictures.h"
#include "app/ui/CenteredButtonBar.h"
#include "app/ui/ShellOpen.h"
#include "base/TabrixDefs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace Tabrix {

namespace {
const char *const Authors[][2] = {
    {"Mara Velden", "mara.velden@tabrix.example.org"},
    {"Joost Arkel", "joost.arkel@tabrix.example.org"},
};
const char *const Disclaimer =
    "Disclaimer of warranty\n\n"
    "This software is provided free of charge and \"as is\", without warranty of any kind, express or implied, "
    "including but not limited to the warranties of merchantability, fitness for a particular purpose and "
    "non-infringement. The whole risk as to the quality and performance of the software, and the whole cost of "
    "any service, repair or correction its defects call for, is yours. By using the software you accept these terms.";
} // namespace

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
    auto *texts = new QGridLayout;
    auto *product = new QLabel(QStringLiteral("tabrix"), this);
    QFont f = product->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    product->setFont(f);
    texts->addWidget(product, 0, 0, 1, 2);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    texts->addWidget(lblVersion, 1, 0, 1, 2);
    int row = 2;
    for (const auto &[name, mail] : Authors) {
        texts->addWidget(new QLabel(QString::fromLatin1(name), this), row, 0);
        auto *link = new QLabel(QString::fromLatin1(mail), this);
        link->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
        link->setCursor(Qt::PointingHandCursor);
        link->setObjectName(QStringLiteral("Label%1").arg(row + 1)); // the links are Label3 and Label4
        link->installEventFilter(this);
        emailLinks << link;
        texts->addWidget(link, row++, 1);
    }
    top->addLayout(texts, 1);
    layout->addLayout(top);

    auto *disclaimer = new QPlainTextEdit(QString::fromLatin1(Disclaimer), this);
    disclaimer->setObjectName(QStringLiteral("Memo1"));
    disclaimer->setReadOnly(true);
    disclaimer->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    disclaimer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette silver = disclaimer->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    disclaimer->setPalette(silver);
    disclaimer->setFixedSize(380, 130);
    layout->addWidget(disclaimer);

    auto *bottom = new CenteredButtonBar(QStringLiteral("OK"), 40, this);
    bottom->setObjectName(QStringLiteral("Panel2"));
    btnOK = bottom->button();
    layout->addWidget(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    lblVersion->setText(QStringLiteral("Version: ") + TabrixDefs::AppVersion());
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(60000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &QDialog::reject);
}

void TfrmAbout::startAutoClose()
{
    Timer1.start();
}

void TfrmAbout::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (const QScreen *s = screen())
        if (!isVisible())
            move(s->geometry().center() - rect().center());
}

bool TfrmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        if (auto *link = qobject_cast<QLabel *>(watched); link && emailLinks.contains(link))
            Label3Click(link);
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::Label3Click(QLabel *link)
{
    ShellOpen(QStringLiteral("mailto:") + link->text());
}

} // namespace Tabrix
