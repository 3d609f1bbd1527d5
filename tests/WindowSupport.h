#pragma once
// Helpers for tests of the real windows (offscreen).
#include "app/ui/TfrmAbout.h"

#include <QApplication>
#include <QTimer>

namespace Tabrix::Support {

// Closes the about box that greets every start, as soon as it shows.
inline void closeAboutBoxes()
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *about = qobject_cast<TfrmAbout *>(w); about && about->isVisible()) {
                about->reject();
                poll->deleteLater();
            }
    });
    poll->start(10);
}

} // namespace Tabrix::Support
