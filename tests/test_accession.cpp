#include "register/SQUtils.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Tabrix;

TEST(Accession, WorkedConversions)
{
    struct Case { const char *text; qint32 number; const char *back; };
    const Case cases[] = {
        {"X12345", 100012345, "X12345"},
        {"x00042", 100000042, "X42"},
        {"M0", 110000000, "M0"},
        {"X1", 100000001, "X1"},
        {"X0", 100000000, ""},
        {"Y9999999", 359999999, "Y9999999"},
        {"X12345678", 112345678, "M2345678"}, // a long rest runs into the next block
        {"X-1", 99999999, ""},                 // just below the X block
        {"t 42", 120000042, "T42"},            // blanks before the digits
        {"X$10", 100000016, "X16"},
        {"", 0, ""},
        {"X", 0, ""},
        {"1X2345", 0, ""},
        {"Q12A", 0, ""},
        {"Y2147483647", 0, ""}, // beyond 32 bits
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AccnStrToNum(QString::fromLatin1(c.text)), c.number);
        EXPECT_EQ(AccnNumToStr(c.number), QString::fromLatin1(c.back));
    }
    for (qint32 none : {360000000, 0, -1, -100012345, INT32_MIN, INT32_MAX})
        EXPECT_EQ(AccnNumToStr(none), QString()) << none;
}

TEST(Accession, EveryNumberWithATextFormComesBack)
{
    const auto roundTrip = [](qint32 n) {
        const QString text = AccnNumToStr(n);
        ASSERT_FALSE(text.isEmpty()) << n;
        ASSERT_EQ(AccnStrToNum(text), n) << qPrintable(text);
        ASSERT_EQ(AccnStrToNum(text.toLower()), n) << qPrintable(text);
    };
    // Both ends of every letter's block, and a dense sample of the whole range.
    for (qint32 lead = 10; lead <= 35; ++lead) {
        for (qint32 n : {lead * 10000000, lead * 10000000 + 1, lead * 10000000 + 9999999})
            if (n >= SQUtils::SmallestAccn && n <= SQUtils::LargestAccn)
                roundTrip(n);
    }
    for (qint32 n = SQUtils::SmallestAccn; n <= SQUtils::LargestAccn; n += 997)
        roundTrip(n);
    QRandomGenerator random(20261210);
    for (int i = 0; i < 100000; ++i)
        roundTrip(random.bounded(SQUtils::SmallestAccn, SQUtils::LargestAccn + 1));
}
