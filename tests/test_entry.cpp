#include "register/EntryRules.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Tabrix;

TEST(Entry, DateShortForms)
{
    const QDate today(2026, 6, 15);
    struct Case { const char *typed, *result; };
    const Case cases[] = {
        {"T", "06/15/2026"}, {"t", "06/15/2026"}, {" T ", "06/15/2026"}, {"\tt\r", "06/15/2026"},
        {"T-1", "06/14/2026"}, {"T+1", "06/16/2026"}, {"T-0", "06/15/2026"}, {"t+365", "06/15/2027"},
        {"T--1", "06/16/2026"}, {"T+-1", "06/14/2026"},
        {"TX", "TX"}, {"tx", "TX"}, {"t-x", "T-X"}, {" t-x ", "T-X"}, {"t+x", "t+x"}, {"Tab", "Tab"},
        {"T+99999999999", "T+99999999999"},
        {"1/2/2003", "01/02/2003"}, {"1/2", "01/02/2026"}, {"1/2/", "01/02/2026"}, {" 1/2/2003 ", "01/02/2003"},
        {"12312000", "12/31/2000"}, {"01191970", "01/19/1970"}, {"011970", "01/19/1970"}, {"0119", "01/19/2026"},
        {"13/01/2000", "13/01/2000"}, {"99/99/9999", "99/99/9999"}, {"02/30/2024", "02/30/2024"},
        {"2/29/2024", "02/29/2024"}, {"ab", "ab"}, {"1/x/2000", "1/x/2000"}, {"1/2/x", "1/2/x"},
        // two-digit years: never in the future
        {"01/19/70", "01/19/1970"}, {"01/19/26", "01/19/2026"}, {"06/15/26", "06/15/2026"},
        {"06/16/26", "06/16/1926"}, {"12/31/26", "12/31/1926"}, {"1/1/0", "01/01/2000"},
        {"", ""}, {"   ", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(NormalizeDate(QString::fromLatin1(c.typed), today), QString::fromLatin1(c.result));
    }
}

TEST(Entry, TimeShortForms)
{
    struct Case { QTime now; const char *typed, *result; };
    const Case cases[] = {
        {QTime(10, 0, 45), "+30", "1030"}, {QTime(10, 0, 45), "-30", "0930"},
        {QTime(0, 10), "-30", "2340"}, {QTime(23, 50), "+30", "0020"},
        {QTime(10, 0), "-99999999", "2321"}, {QTime(10, 0), "+1440", "1000"},
        {QTime(10, 0), "930", "930"}, {QTime(10, 0), "0930", "0930"}, {QTime(10, 0), "12345", "12345"},
        {QTime(10, 0), "+x", "+x"}, {QTime(10, 0), " +5", " +5"}, {QTime(10, 0), "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(NormalizeTime(QString::fromLatin1(c.typed), c.now), QString::fromLatin1(c.result));
    }
}

TEST(Entry, StoredTimes)
{
    struct Case { const char *stored; std::optional<QTime> time; };
    const Case cases[] = {
        {"0930", QTime(9, 30)}, {"0000", QTime(0, 0)}, {"2359", QTime(23, 59)}, {"12345", QTime(12, 34)},
        {"930", std::nullopt}, {"2460", std::nullopt}, {"2400", std::nullopt}, {"12", std::nullopt},
        {"", std::nullopt}, {"ab12", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(HHMMToTime(QString::fromLatin1(c.stored)), c.time);
    }
}
