#include "lis/LisStates.h"
#include "lis/LisMessages.h"
#include "lis/LisRegistration.h"
#include "lis/OrderMessage.h"

#include <QHash>
#include <algorithm>

namespace Tabrix {

QString StateText(LisState state)
{
    switch (state) {
    case LisState::NotSent: return QStringLiteral("not sent");
    case LisState::Accepted: return QStringLiteral("accepted");
    case LisState::Refused: return QStringLiteral("refused");
    case LisState::NotConfirmed: return QStringLiteral("not confirmed");
    case LisState::Changed: return QStringLiteral("changed since accepted");
    case LisState::Deleted: return QStringLiteral("deleted after sending");
    }
    return {};
}

int LisOverview::count(LisState state) const
{
    return int(std::count_if(items.begin(), items.end(), [&](const LisItem &i) { return i.state == state; }));
}

int LisOverview::toSend() const
{
    return int(std::count_if(items.begin(), items.end(), [](const LisItem &i) { return i.toSend(); }));
}

int LisOverview::blocked() const
{
    return int(std::count_if(items.begin(), items.end(), [](const LisItem &i) { return i.blocked; }));
}

int LisOverview::notAccepted() const { return int(items.size()) - count(LisState::Accepted); }

namespace {

// What the rows of one registration say, read in the order they were written.
struct History {
    LisMessageRow last;
    int accepted = 0;
    QString acceptedDigest;  // of the last accepted message
    // The row a cancel is built from: the last message the LIS may hold (accepted,
    // or never answered); none when it refused every one.
    qint64 cancelFrom = 0;

    void add(const LisMessageRow &row)
    {
        last = row;
        if (row.outcome == LisMessages::Accepted) {
            ++accepted;
            acceptedDigest = row.digest;
        }
        if (row.outcome != LisMessages::Refused && row.outcome != LisMessages::Emptied)
            cancelFrom = row.id;
    }
};

// The state the last message leaves when the register's content is not the one accepted.
LisState stateOfLast(const History &h, LisState otherwise)
{
    if (h.last.outcome == LisMessages::Refused)
        return LisState::Refused;
    if (h.last.outcome == LisMessages::Accepted)
        return otherwise;
    return LisState::NotConfirmed;
}

void address(LisItem &item, const QString &orderControl)
{
    item.orderControl = orderControl;
    item.controlId = ControlIdFor(item.accnStr, item.digest, orderControl, item.acceptedBefore);
}

LisItem present(const LisRegistration &r, const History *h, const LisSettings &settings, LisReading reading)
{
    LisItem item;
    item.orderId = r.orderId;
    item.accnNum = r.accnNum;
    item.accnStr = r.accnStr;
    item.patient = QStringLiteral("%1, %2").arg(r.lastName, r.firstName);
    item.acceptedBefore = h ? h->accepted : 0;
    item.lastMessage = h ? h->last.id : 0;
    // Only what the LIS accepted is compared with the register's content.
    if (reading == LisReading::StatesOnly && !item.acceptedBefore) {
        item.state = h ? stateOfLast(*h, LisState::NotSent) : LisState::NotSent;
        return item;
    }
    try {
        item.message = BuildOrderMessage(r, settings);
        item.digest = ContentDigest(item.message);
    } catch (const ELisContent &e) {
        item.blocked = true;
        item.why = e.message();
    }
    if (!h) {
        item.state = LisState::NotSent;
    } else if (h->accepted && item.digest == h->acceptedDigest) {
        item.state = LisState::Accepted;
        return item;
    } else {
        item.state = stateOfLast(*h, LisState::Changed);
        if (!item.blocked && h->last.outcome != LisMessages::Accepted)
            item.why = h->last.reply;
    }
    if (!item.blocked)
        address(item, item.acceptedBefore ? OrderControl::Change : OrderControl::New);
    else
        item.message = {};
    return item;
}

// A registration no longer in the register: cancelled from what was sent, unless
// the LIS never took any of its messages or Reset Accns emptied it.
std::optional<LisItem> deleted(const History &h, const LisMessages &messages, LisReading reading)
{
    if (h.last.outcome == LisMessages::Emptied || !h.cancelFrom)
        return std::nullopt;
    LisItem item;
    item.orderId = h.last.orderId;
    item.accnNum = h.last.accnNum;
    item.accnStr = h.last.accnStr;
    item.acceptedBefore = h.accepted;
    item.lastMessage = h.last.id;
    const bool cancelSent = h.last.orderControl == OrderControl::Cancel;
    if (cancelSent && h.last.outcome == LisMessages::Accepted) {
        item.state = LisState::Accepted;
        return item;
    }
    item.state = cancelSent ? stateOfLast(h, LisState::Deleted) : LisState::Deleted;
    if (cancelSent)
        item.why = h.last.reply;
    if (reading == LisReading::StatesOnly)
        return item; // the cancel's message only for a send
    const auto sent = Hl7Message::parse(messages.messageOf(h.cancelFrom));
    if (!sent) {
        item.blocked = true;
        item.why = QStringLiteral("The message sent for it cannot be read back to cancel it");
        return item;
    }
    item.message = *sent;
    item.digest = ContentDigest(item.message);
    address(item, OrderControl::Cancel);
    return item;
}

} // namespace

LisOverview ReadLisOverview(const QSqlDatabase &db, const LisSettings &settings, LisReading reading)
{
    const LisMessages messages(db);
    QHash<qint64, History> histories;
    messages.forEach([&](const LisMessageRow &row) { histories[row.orderId].add(row); });
    LisOverview overview;
    ForEachRegistration(db, RegistrationOrder::Accession, [&](const LisRegistration &r) {
        const auto h = histories.find(r.orderId);
        if (h == histories.end()) {
            overview.items << present(r, nullptr, settings, reading);
        } else {
            overview.items << present(r, &*h, settings, reading);
            histories.erase(h);
        }
    });
    for (const History &h : std::as_const(histories))
        if (auto item = deleted(h, messages, reading))
            overview.items << *item;
    std::stable_sort(overview.items.begin(), overview.items.end(), [](const LisItem &a, const LisItem &b) {
        return a.accnNum != b.accnNum ? a.accnNum < b.accnNum : a.orderId < b.orderId;
    });
    return overview;
}

QString LisPendingText(const QSqlDatabase &db, const LisSettings &settings)
{
    if (!settings.configured() || !LisMessages(db).present())
        return {};
    const int waiting = ReadLisOverview(db, settings, LisReading::StatesOnly).notAccepted();
    return waiting ? QStringLiteral("LIS: %1 not accepted").arg(waiting) : QStringLiteral("LIS: all accepted");
}

} // namespace Tabrix
