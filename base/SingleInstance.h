#pragma once
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

class QLocalServer;

namespace Tabrix {

// One running copy per user. The first copy holds a lock named after the main
// window's caption and listens for a second copy's request to be shown.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = QStringLiteral("Vantrel Tabrix"));
    ~SingleInstance() override;

    enum class Acquired { Only, AnotherCopy, Failed };
    // Only: this copy is the only one (a lock left by a copy that died is taken
    // over); Failed: the lock file cannot be written, failure() says why.
    Acquired acquire();
    QString failure() const { return m_failure; }
    // Asks the running copy to show its main window; ends quietly when it cannot be reached.
    void requestShow();
    // Starts answering other copies' requests.
    void listen(std::function<void()> onShowRequest);

private:
    QString m_base;
    QString m_failure;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

} // namespace Tabrix
