#pragma once
#include "labels/preview/LabelPreview.h"

#include <QScrollArea>

class QVBoxLayout;

namespace Tabrix {

// Pictures of labels one under the other, each with its caption and what it
// leaves out, or the reason there is no picture. Takes no focus.
class LabelPictures : public QScrollArea {
    Q_OBJECT
public:
    explicit LabelPictures(QWidget *parent = nullptr);
    // captions[i] goes under picture i (and "3 copies" when ^PQ asks for them).
    void showPreview(const LabelPreview &preview, const QStringList &captions = {});
    void showMessage(const QString &text);
    int pictureCount() const { return m_pictures; }
    QString texts() const; // every caption and note shown, one per line

private:
    void clear();
    QWidget *m_inner;
    QVBoxLayout *m_column;
    int m_pictures = 0;
};

} // namespace Tabrix
