#pragma once
#include <QString>
#include <stdexcept>

namespace Tabrix {

// The general error class: every failure the program raises carries its message text.
class ETabrixError : public std::runtime_error {
public:
    explicit ETabrixError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace Tabrix
