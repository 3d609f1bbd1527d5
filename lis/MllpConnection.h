#pragma once
#include "base/TabrixError.h"
#include "lis/LisSettings.h"

#include <QByteArray>
#include <QTcpSocket>
#include <functional>
#include <memory>

namespace Tabrix {

// The LIS could not be reached, or its certificate was refused: nothing was sent.
class ELisConnection : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};

// One MLLP connection to the LIS interface engine: each message framed as
// 0x0B … 0x1C 0x0D, sent, and its answer's frame waited for. Over TLS when the
// settings ask for it, the engine's certificate checked against the CA file's
// certificates (or the system's) and against the host's name.
class MllpConnection {
public:
    // `idle` runs every 50 ms or so while the connection waits (a window keeps
    // painting); it never ends the wait.
    MllpConnection(const LisSettings &settings, std::function<void()> idle = {});
    ~MllpConnection();

    // Raises ELisConnection in words ("The LIS at host:port cannot be reached: …").
    void open();

    // The answer to one message, or why there is none.
    struct Answer {
        bool received = false;
        QByteArray payload; // the frame's content
        QString why;        // no answer in time, the connection closed, no MLLP frame
    };
    Answer exchange(const QByteArray &message);
    // Whether the connection can take another message.
    bool usable() const;

private:
    bool waitFor(const std::function<bool()> &done, int milliseconds);
    LisSettings m_settings;
    std::function<void()> m_idle;
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_pending; // bytes that came after the last frame
};

} // namespace Tabrix
