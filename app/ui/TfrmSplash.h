#pragma once
#include <QTimer>
#include <QWidget>

class QLabel;

namespace Tabrix {

// The borderless picture shown while the program starts.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    TfrmSplash();
    // Loads the picture into the picture area; false when it cannot be read.
    bool loadPicture(const QString &file);
    QTimer Timer1; // off when built; start-up sets its interval and starts it

private:
    QLabel *m_picture;
};

} // namespace Tabrix
