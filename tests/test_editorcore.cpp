#include "base/Clock.h"
#include "editor/ColorScan.h"
#include "editor/LabelCapture.h"
#include "labels/SampleValues.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
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

namespace {

// Runs the event loop until `done`, for at most `ms` milliseconds.
bool runUntil(const std::function<bool()> &done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// A sender in a process of its own, writing with bash's /dev/tcp to the test's port.
constexpr quint16 TestPort = 18999;
void send(QProcess &sender, const QString &script)
{
    sender.start("bash", {"-c", QString("exec 3<>/dev/tcp/127.0.0.1/%1; %2").arg(TestPort).arg(script)});
}

} // namespace

TEST(LabelCapture, SendersBecomeTemplateTextWithinTheBound)
{
    LabelCapture capture(64);
    QStringList events;
    QObject::connect(&capture, &LabelCapture::connected, [&] { events << "connected"; });
    QObject::connect(&capture, &LabelCapture::bytesRead, [&](qsizetype n) { events << QString("read %1").arg(n); });
    QObject::connect(&capture, &LabelCapture::done, [&] { events << "done"; });
    QObject::connect(&capture, &LabelCapture::conversionRefused, [&] { events << "refused"; });
    QObject::connect(&capture, &LabelCapture::tooMuchSent, [&] { events << "too much"; });
    ASSERT_TRUE(capture.start(TestPort)) << qPrintable(capture.listenError());
    EXPECT_EQ(capture.port(), TestPort);

    QProcess sender;
    send(sender, "printf '\\x1bA\\r\\n' >&3; exec 3>&-");
    ASSERT_TRUE(runUntil([&] { return events.contains("done"); }));
    EXPECT_EQ(events, (QStringList{"connected", "read 4", "done"}));
    EXPECT_EQ(capture.text(), "[ESC]A[CR][LF]\r\n");
    sender.waitForFinished();

    // Empty connections after a capture convert nothing: the capture stays as it was.
    events.clear();
    send(sender, "exec 3>&-; for i in 1 2 3; do exec 3<>/dev/tcp/127.0.0.1/18999; exec 3>&-; done");
    ASSERT_TRUE(runUntil([&] { return events.count("done") == 4; }));
    EXPECT_EQ(events.count("refused"), 0) << qPrintable(events.join('|'));
    EXPECT_EQ(capture.text(), "[ESC]A[CR][LF]\r\n");
    sender.waitForFinished();

    // A sender whose bytes would convert past the bound (each ESC is five
    // characters): refused, and the capture is what the last conversion left.
    events.clear();
    send(sender, "printf '\\x1b%.0s' $(seq 12) >&3; exec 3>&-");
    ASSERT_TRUE(runUntil([&] { return events.contains("refused"); }));
    EXPECT_EQ(capture.text(), "[ESC]A[CR][LF]\r\n");
    sender.waitForFinished();

    // More bytes than the bound: the connection is closed, nothing of it is taken.
    events.clear();
    const QByteArray before = capture.text();
    send(sender, "head -c 100 /dev/zero >&3; sleep 1");
    ASSERT_TRUE(runUntil([&] { return events.contains("too much"); }));
    EXPECT_EQ(capture.text(), before);
    sender.waitForFinished();

    // Stopped, the port is free again.
    capture.stop();
    LabelCapture again;
    EXPECT_TRUE(again.start(TestPort));
}
