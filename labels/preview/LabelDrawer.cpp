#include "labels/preview/LabelDrawer.h"
#include "labels/preview/PreviewText.h"

#include <QThread>

namespace Tabrix {

LabelDrawer::LabelDrawer(QObject *parent) : QObject(parent)
{
    LoadPreviewFonts();
}

LabelDrawer::~LabelDrawer()
{
    cancel();
    for (QThread *t : std::as_const(m_running)) {
        t->wait();
        delete t;
    }
}

void LabelDrawer::cancel()
{
    if (m_stale)
        m_stale->store(true);
    m_stale.reset();
}

void LabelDrawer::draw(const QByteArray &bytes, const PreviewOptions &options)
{
    cancel();
    auto stale = std::make_shared<std::atomic<bool>>(false);
    m_stale = stale;
    QThread *thread = QThread::create([this, bytes, options, stale] {
        PreviewOptions bounded = options;
        bounded.cancel = stale.get();
        LabelPreview preview = RenderLabels(bytes, bounded);
        // Handed back on this object's thread, and only while it is still the newest.
        QMetaObject::invokeMethod(
            this,
            [this, preview = std::move(preview), stale] {
                if (!stale->load())
                    emit drawn(preview);
            },
            Qt::QueuedConnection);
    });
    m_running << thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        m_running.removeOne(thread);
        thread->deleteLater();
    });
    thread->start();
}

} // namespace Tabrix
