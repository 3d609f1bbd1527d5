#pragma once
#include <QDateTime>

namespace Tabrix {

// The one program-wide clock. Everything that asks for "now" or "today" asks it,
// so tests can fix the moment.
class Clock {
public:
    static QDateTime now();
    static QDate today() { return now().date(); }
    // Fixes the clock at a moment (tests); an invalid moment returns to the real clock.
    static void setFixed(const QDateTime &moment);
};

} // namespace Tabrix
