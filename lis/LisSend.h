#pragma once
#include "lis/LisSettings.h"
#include "lis/LisStates.h"

#include <QSqlDatabase>
#include <QStringList>
#include <functional>

namespace Tabrix {

// What a send did.
struct LisSendReport {
    int accepted = 0, refused = 0, notConfirmed = 0;
    QStringList lines;  // one for every message sent: "X12345 (NW): accepted"
    QString stopped;    // why the run ended before the last message, if it did
    bool cancelled = false;
};

// Sends the messages of the overview's registrations to send, one at a time in
// accession order over one MLLP connection, each waiting for its answer; every
// message's row is committed before it goes and completed with the answer. A
// refusal goes on to the next; no answer, a closed connection or an answer that
// cannot be read ends the run (that registration is "not confirmed", the rest
// keep their states). A registration another station sent since its state was
// read is passed by. `keepGoing(done, total)` runs before each message: false
// cancels there. Raises ELisConnection when the LIS cannot be reached (nothing
// sent) and EDatabaseError when a row cannot be written (that message not sent).
LisSendReport SendToLis(const QSqlDatabase &db, const LisSettings &settings, const LisOverview &overview,
                        const std::function<bool(int done, int total)> &keepGoing, const std::function<void()> &idle = {});

} // namespace Tabrix
