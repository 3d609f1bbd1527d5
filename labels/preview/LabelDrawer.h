#pragma once
#include "labels/preview/LabelPreview.h"

#include <QList>
#include <QObject>
#include <atomic>
#include <memory>

class QThread;

namespace Tabrix {

// Draws label bytes on a thread of its own, so that the thread of the windows
// never waits for a picture: each request makes the drawing still running stale
// (it stops at once), and only the newest drawing's picture is handed back, on
// the thread that asked.
class LabelDrawer : public QObject {
    Q_OBJECT
public:
    explicit LabelDrawer(QObject *parent = nullptr);
    ~LabelDrawer() override; // stops the drawings still running and waits for them

    void draw(const QByteArray &bytes, const PreviewOptions &options = {});
    // The newest drawing is no longer wanted: nothing comes of it.
    void cancel();

signals:
    void drawn(const Tabrix::LabelPreview &preview);

private:
    std::shared_ptr<std::atomic<bool>> m_stale;
    QList<QThread *> m_running;
};

} // namespace Tabrix
