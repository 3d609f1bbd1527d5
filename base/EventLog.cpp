#include "base/EventLog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <syslog.h>

namespace Tabrix::EventLog {

namespace {

std::mutex lock;
QByteArray program = "tabrix";

// The oldest file goes, the others move up one: tabrix.log becomes tabrix.log.1.
void rotate(const QString &path)
{
    QFile::remove(QStringLiteral("%1.%2").arg(path).arg(Files - 1));
    for (int i = Files - 2; i >= 1; --i)
        QFile::rename(QStringLiteral("%1.%2").arg(path).arg(i), QStringLiteral("%1.%2").arg(path).arg(i + 1));
    QFile::rename(path, path + QStringLiteral(".1"));
}

} // namespace

void SetProgram(const QString &name)
{
    const std::lock_guard<std::mutex> guard(lock);
    program = name.toUtf8();
}

QString FilePath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tabrix/tabrix.log");
}

void Write(const QString &line)
{
    const std::lock_guard<std::mutex> guard(lock);
    const QByteArray text = line.simplified().toUtf8();
    // The system log, where there is one; the name stays valid for syslog's later calls.
    static QByteArray ident;
    if (ident != program) {
        ident = program;
        openlog(ident.constData(), LOG_PID, LOG_USER);
    }
    syslog(LOG_INFO, "%s", text.constData());

    const QString path = FilePath();
    const QFileInfo info(path);
    // The folder and a new file are made the user's alone once, not at every line.
    bool fresh = !info.exists();
    if (fresh) {
        if (!QDir().mkpath(info.absolutePath()))
            return;
        QFile::setPermissions(info.absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    const QByteArray entry = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' + program + '[' +
                             QByteArray::number(QCoreApplication::applicationPid()) + "] " + text + '\n';
    if (!fresh && info.size() + entry.size() > MaxFileBytes) {
        rotate(path);
        fresh = true;
    }
    QFile f(path);
    if (!f.open(QIODevice::Append))
        return;
    if (fresh)
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    f.write(entry);
}

} // namespace Tabrix::EventLog
