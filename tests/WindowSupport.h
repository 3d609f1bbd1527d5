#pragma once
// Helpers for tests of the real windows (offscreen).
#include "app/ui/TfrmAbout.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace Tabrix::Support {

// A window's control (or action) by its name, as the user knows it from the screen.
template <class T = QLineEdit>
T *Control(const QObject &window, const char *name)
{
    T *control = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << "no control " << name;
    return control;
}

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
