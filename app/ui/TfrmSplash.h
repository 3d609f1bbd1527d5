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
    // Closes the splash after `milliseconds` (Timer1).
    void closeAfter(int milliseconds);

private:
    QTimer Timer1{this}; // off when built
    QLabel *m_picture;
};

} // namespace Tabrix
