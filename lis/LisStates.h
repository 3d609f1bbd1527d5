#pragma once
#include "lis/Hl7Message.h"
#include "lis/LisSettings.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace Tabrix {

// Where a registration stands with the LIS, read from the messages sent for it.
enum class LisState {
    NotSent,      // never sent
    Accepted,     // the LIS accepted what the register holds (or the cancel of a deleted one)
    Refused,      // the LIS refused the last message, saying why
    NotConfirmed, // the last message got no answer that can be read: it may or may not have arrived
    Changed,      // changed since the LIS accepted it: the next send is a change (XO)
    Deleted,      // deleted after it was sent: the next send is a cancel (CA)
};
QString StateText(LisState state);
inline constexpr LisState AllStates[] = {LisState::NotSent, LisState::Accepted, LisState::Refused,
                                         LisState::NotConfirmed, LisState::Changed, LisState::Deleted};

// One registration's state and, when it is to be sent, the message that sends it.
struct LisItem {
    qint64 orderId = 0, accnNum = 0;
    QString accnStr;
    QString patient; // LAST, FIRST (none for a deleted registration)
    LisState state = LisState::NotSent;
    QString why;     // why it cannot be sent, the LIS's refusal, or why an answer does not count
    bool blocked = false; // its stored values make no valid message: it is not sent
    // The next message: order control (empty: nothing to send), control id,
    // content digest, how many of its messages were accepted, and the message.
    QString orderControl, controlId, digest;
    int acceptedBefore = 0;
    qint64 lastMessage = 0; // the registration's last row when its state was read
    Hl7Message message;

    bool toSend() const { return !orderControl.isEmpty(); }
};

// Every registration of the register and every deleted one that was sent, in
// accession order, with its state.
struct LisOverview {
    QList<LisItem> items;
    int count(LisState state) const;
    int toSend() const;
    int blocked() const;
    // Registrations whose present content the LIS has not accepted: all but Accepted.
    int notAccepted() const;
};

// What a reading of the states is for: a send (every message to send built), or
// only the states (a message built only where the state depends on it).
enum class LisReading { ForSending, StatesOnly };

// Reads the register and its messages (a register without lis_messages reads as
// one that never sent). Raises EDatabaseError.
LisOverview ReadLisOverview(const QSqlDatabase &db, const LisSettings &settings,
                            LisReading reading = LisReading::ForSending);

// The main window's word on the LIS ("LIS: 3 not accepted"), or nothing for a
// station with no LIS set or a register without its messages. Raises EDatabaseError.
QString LisPendingText(const QSqlDatabase &db, const LisSettings &settings);

} // namespace Tabrix
