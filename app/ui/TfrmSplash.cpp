#include "app/ui/TfrmSplash.h"
#include "base/ui/Pictures.h"

#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace Tabrix {

TfrmSplash::TfrmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(248, 278);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new QLabel(this);
    header->setFixedSize(248, 32);
    header->setPixmap(Pictures::header(header->size()));
    layout->addWidget(header);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto *inner = new QVBoxLayout(panel);
    inner->setContentsMargins(5, 5, 5, 5);
    m_picture = new QLabel(panel);
    m_picture->setScaledContents(true);
    inner->addWidget(m_picture);
    layout->addWidget(panel, 1);

    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer1.setInterval(5000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        Timer1.stop();
        close();
    });
    if (const QScreen *s = screen())
        move(s->geometry().center() - rect().center());
}

bool TfrmSplash::loadPicture(const QString &file)
{
    QPixmap pm;
    if (!pm.load(file))
        return false;
    m_picture->setPixmap(pm);
    return true;
}

void TfrmSplash::closeAfter(int milliseconds)
{
    Timer1.setInterval(milliseconds);
    Timer1.start();
}

} // namespace Tabrix
