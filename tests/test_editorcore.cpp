#include "app/base/Clock.h"
#include "editor/ColorScan.h"
#include "editor/SampleValues.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

using namespace Tabrix;

TEST(ColorScan, SpansOfTheMarkup)
{
    using S = TColorSpan;
    struct Case { const char *text; QList<TColorSpan> spans; };
    const Case cases[] = {
        {"<#Field Name=AccnStr>x", {{0, 21, S::Tag}}},
        {"[CR][LF]", {{0, 4, S::Escape}, {4, 4, S::Escape}}},
        {"[\"]\"]", {{0, 5, S::Escape}}},
        {"// one label per test\r\nN", {{0, 22, S::Comment}}},
        {"a/b", {}},
        {"<#F x=\">\"y>", {{0, 11, S::Tag}}},
        {"<a // b>", {{0, 8, S::Tag}}},
        {"[a//b]", {{0, 6, S::Escape}}},
        {"1 < 2 [x] >", {{2, 9, S::Tag}}},
        {"// a\"b\r\nc\"d\r\ne", {{0, 12, S::Comment}}},
        {"", {}},
        {"<>[]//x", {{0, 2, S::Tag}, {2, 2, S::Escape}, {4, 3, S::Comment}}}, // the last one runs to the end
        {"x <#Field", {{2, 7, S::Tag}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScanColorSpans(QString::fromLatin1(c.text)), c.spans);
    }
}

TEST(SampleValues, TheTestPrintFillsTagsFromTheSamples)
{
    Clock::setFixed(QDateTime(QDate(2026, 12, 10), QTime(10, 30)));
    const SampleValues builtIn = SampleValues::BuiltIn();
    struct Case { const char *params, *value; };
    const Case cases[] = {
        {"Name=AccnStr", "X12345"}, {"Name=AccnNum", "1000012345"}, {"Name=FullName Length=40", "Pindle,Oska"},
        {"Name=Last_Name", "Pindle"}, {"Name=Middle_Initial", "A"}, {"Name=DOB Format=mm/dd/yyyy", "01/19/1970"},
        {"Name=Age", "32Y"}, {"Name=Collection_date Format=mm/dd", "12/10"}, {"Name=Collection_time", "2230"},
        {"Name=Recieve_time", "0430"}, {"Name=Created", "12/10/2026"}, {"Name=TestCode Length=20", "CBC"},
        {"Name=TestCode2 Length=20", "TESTCODE2"}, {"Name=StationID", "STATIONID"},
        {"Name=AccnNum Length=4", "1000"}, {"Name=AccnNum Length=abc", "1000012345"}, {"Name=AccnStr Length=0", ""},
        {"Length=5", ""}, {"Name=Collection_Time Format=hh:nn", "2230"},
        {"Name=Nothing Length=3", "NOT"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.params);
        EXPECT_EQ(builtIn.TagValue(SplitParams(QString::fromLatin1(c.params))), QString::fromLatin1(c.value));
    }
    EXPECT_EQ(builtIn.TagValue(SplitParams("Name=X" + QString(50, u'Y'))).size(), 40);
    Clock::setFixed({});

    Support::ProgramFolder folder;
    folder.writeFile("tabrix.tst", "ACCNSTR=Z99999\r\n");
    const SampleValues file = SampleValues::Load(folder.path("tabrix.tst"));
    EXPECT_EQ(file.TagValue(SplitParams("Name=AccnStr")), "Z99999");
    EXPECT_EQ(file.TagValue(SplitParams("Name=Patient_id")), "PATIENT_ID");
    folder.writeFile("empty.tst", "");
    EXPECT_EQ(SampleValues::Load(folder.path("empty.tst")).TagValue(SplitParams("Name=AccnStr")), "ACCNSTR");
    EXPECT_EQ(SampleValues::Load(folder.path("missing.tst")).value("ACCNSTR"), "X12345");
    EXPECT_EQ(SampleValues({" A = 1", "a=2", "noequals"}).value(" a "), " 1");
}
