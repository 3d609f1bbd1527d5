#include "base/EventLog.h"
#include "base/IniFile.h"
#include "base/IntText.h"
#include "base/ProgramFiles.h"
#include "base/TabrixError.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace Tabrix;

TEST(IntText, ReadsEveryFormAndRefusesTheRest)
{
    struct Case { const char *text; std::optional<qint32> value; };
    const Case cases[] = {
        {"12", 12}, {"  12", 12}, {"+5", 5}, {"-5", -5}, {"007", 7},
        {"$10", 16}, {"x10", 16}, {"X10", 16}, {"0x10", 16}, {"0X1f", 31}, {"$1B", 27},
        {"$FFFFFFFF", -1}, {"$80000000", INT32_MIN},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"$100000000", std::nullopt},
        {"12abc", std::nullopt}, {"", std::nullopt}, {"   ", std::nullopt}, {"0x", std::nullopt},
        {"$", std::nullopt}, {"-$10", std::nullopt}, {"+", std::nullopt}, {"1 ", std::nullopt},
        {"\t1", std::nullopt}, {"1.0", std::nullopt}, {"true", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadIntText(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(Paths, FilesAreNamedAfterTheProgram)
{
    struct Case { const char *program, *ext, *expected; };
    const Case cases[] = {
        {"/opt/tabrix/tabrix", ".ini", "/opt/tabrix/tabrix.ini"},
        {"/opt/tab.rix/tabrix", ".udl", "/opt/tab.rix/tabrix.udl"},
        {"/opt/tabrix/labels.bin", ".tpd", "/opt/tabrix/labels.tpd"},
        {"/opt/tabrix/a.b.c", ".tst", "/opt/tabrix/a.b.tst"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ChangeFileExt(c.program, c.ext), QString::fromLatin1(c.expected));

    const ProgramFiles files = ProgramFiles::Of("/opt/lab/station2");
    EXPECT_EQ(files.ProgramDir, "/opt/lab/");
    EXPECT_EQ(files.SplashDir, "/opt/lab/splash/");
    EXPECT_EQ(files.HelpFile, "/opt/lab/docs/index.html");
    EXPECT_EQ(files.PrinterDefFile, "/opt/lab/station2.tpd");
    EXPECT_EQ(files.SettingsFile, "/opt/lab/station2.ini");
    EXPECT_EQ(files.withExt(".udl"), "/opt/lab/station2.udl");
}

// What LoadSettings makes of a settings file.
struct Loaded {
    qint32 min = 0, max = 0;
    QString station = "Tabrix Station", location;
    QChar gender = u'M';
    QString illegal = "\\#!$";
    bool splash = true;
    qint32 splashInterval = 5000, printerWait = 1000;
};

TEST(Settings, LoadSettingsReadsEachKeyWithItsDefault)
{
    struct Case {
        const char *name;
        QByteArray ini; // null: no file at all
        Loaded expected;
    };
    const QByteArray big = "[Defaults]\nStationID=" + QByteArray(100 * 1024, 'A') + "\n";
    Loaded bigStation;
    bigStation.station = QString(2047, u'A');
    Loaded everything{100012345, 100020000, "Lab 7", "W2", u'F', "#", false, 2500, 0};
    Loaded caseless;
    caseless.station = "Ward station";
    caseless.min = 16;
    const Case cases[] = {
        {"no file", QByteArray(), Loaded{}},
        {"every key", "[Ranges]\nMinValue=100012345\nMaxValue=100020000\n[Defaults]\nStationID=Lab 7\n"
                      "Location=W2\nGender=F\nIllegalChars=#\nShowSplash=0\nSplashInterval=2500\nPrinterWait=0\n",
         everything},
        {"true is no number", "[Defaults]\nShowSplash=true\n", Loaded{}},
        {"2 counts as true", "[Defaults]\nShowSplash=2\n", Loaded{}},
        {"0x10", "[Ranges]\nMinValue=0x10\n", Loaded{16}},
        {"$10", "[Ranges]\nMinValue=$10\n", Loaded{16}},
        {"12abc", "[Ranges]\nMinValue=12abc\n", Loaded{}},
        {"Female", "[Defaults]\nGender=Female\n", [] { Loaded l; l.gender = u'F'; return l; }()},
        {"f keeps its case", "[Defaults]\nGender=f\n", [] { Loaded l; l.gender = u'f'; return l; }()},
        {"empty gender keeps M", "[Defaults]\nGender=\n", Loaded{}},
        {"names without regard to case", "[DEFAULTS]\n  stationid = Ward station\n[ranges]\nMINVALUE=$10\n", caseless},
        {"garbage lines and NUL bytes", QByteArray("\x01\x02garbage\n[Ranges\n=\n\0\0\0\n[Defaults]\nno equals sign\n", 40),
         Loaded{}},
        {"100 KB value", big, bigStation},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Support::ProgramFolder folder;
        if (!c.ini.isNull())
            folder.writeFile("tabrix.ini", c.ini);
        folder.station.LoadSettings();
        const StationSettings &s = folder.station.settings();
        EXPECT_EQ(s.TAccn.MinValue, c.expected.min);
        EXPECT_EQ(s.TAccn.MaxValue, c.expected.max);
        EXPECT_EQ(s.StationID, c.expected.station);
        EXPECT_EQ(s.Location, c.expected.location);
        EXPECT_EQ(s.Gender, c.expected.gender);
        EXPECT_EQ(s.IllegalChars, c.expected.illegal);
        EXPECT_EQ(s.ShowSplash, c.expected.splash);
        EXPECT_EQ(s.SplashInterval, c.expected.splashInterval);
        EXPECT_EQ(s.PrinterWait, c.expected.printerWait);
    }
}

TEST(Settings, WritesCreateTheSectionWithItsKeysInOrder)
{
    Support::ProgramFolder folder;
    const QString ini = folder.station.files().SettingsFile;
    IniFile::WriteInteger(ini, "Ranges", "MinValue", 100012345);
    IniFile::WriteInteger(ini, "Ranges", "MaxValue", 100020000);
    IniFile::WriteString(ini, "Defaults", "StationID", "Lab 7");
    IniFile::WriteString(ini, "Defaults", "Location", "");
    IniFile::WriteBool(ini, "Defaults", "ShowSplash", false);
    EXPECT_EQ(folder.readFile("tabrix.ini"),
              "[Ranges]\nMinValue=100012345\nMaxValue=100020000\n\n"
              "[Defaults]\nStationID=Lab 7\nLocation=\nShowSplash=0\n");
    EXPECT_EQ(IniFile::ReadInteger(ini, "ranges", "maxvalue", 0), 100020000);
}

TEST(Settings, WritesReplaceInPlaceAndLeaveEveryOtherLine)
{
    Support::ProgramFolder folder;
    const QByteArray before = "; station settings, kept by hand\r\n[Window]\r\nTop=10\r\n; a note\r\nLeft=20\r\n\r\n"
                              "[Defaults]\r\nstationid=Old\r\nOdd line without equals\r\n\r\n[Banner]\r\nPath=\r\n";
    folder.writeFile("tabrix.ini", before);
    IniFile::WriteInteger(folder.station.files().SettingsFile, "WINDOW", "top", 99);
    IniFile::WriteString(folder.station.files().SettingsFile, "Defaults", "Gender", "F");
    EXPECT_EQ(folder.readFile("tabrix.ini"),
              "; station settings, kept by hand\r\n[Window]\r\ntop=99\r\n; a note\r\nLeft=20\r\n\r\n"
              "[Defaults]\r\nstationid=Old\r\nOdd line without equals\r\nGender=F\r\n\r\n[Banner]\r\nPath=\r\n");
}

TEST(Settings, AWriteChangesOnlyTheBytesOfItsKey)
{
    Support::ProgramFolder folder;
    struct Case { const char *before, *after; };
    const Case cases[] = {
        // lone LF lines kept among CR LF ones, and the other way round
        {"[Defaults]\r\nStationID=Old\r\n; by hand\n[Window]\nTop=1\r\n",
         "[Defaults]\r\nStationID=New\r\n; by hand\n[Window]\nTop=1\r\n"},
        {"; a\n[Defaults]\nStationID=Old\nX=1\r\n", "; a\n[Defaults]\nStationID=New\nX=1\r\n"},
        // a last line without its end keeps none; a lone CR stays inside its line
        {"[Defaults]\nStationID=Old", "[Defaults]\nStationID=New"},
        {"[Defaults]\nA=1\rB=2\nStationID=Old\n", "[Defaults]\nA=1\rB=2\nStationID=New\n"},
        // a key added after a last line without its end
        {"[Defaults]\r\nX=1", "[Defaults]\r\nX=1\r\nStationID=New\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before);
        folder.writeFile("tabrix.ini", c.before);
        IniFile::WriteString(folder.station.files().SettingsFile, "Defaults", "StationID", "New");
        EXPECT_EQ(folder.readFile("tabrix.ini"), QByteArray(c.after));
    }
}

TEST(Settings, AReadOnlyFileRefusesTheWrite)
{
    Support::ProgramFolder folder;
    const QByteArray before = "[Defaults]\nStationID=Kept\n";
    folder.writeFile("tabrix.ini", before);
    QFile::setPermissions(folder.station.files().SettingsFile, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    try {
        IniFile::WriteString(folder.station.files().SettingsFile, "Defaults", "StationID", "Changed");
        FAIL() << "the write went through";
    } catch (const ETabrixError &e) {
        EXPECT_EQ(e.message(), "Unable to write to " + folder.station.files().SettingsFile);
    }
    EXPECT_EQ(folder.readFile("tabrix.ini"), before);
}

TEST(Settings, FilesInAnotherEncodingAreReadOrSaid)
{
    // The range of the station, in files as editors save them.
    Support::ProgramFolder folder;
    const QString file = folder.path("tabrix.ini");
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2) + QByteArray("[\0R\0a\0n\0g\0e\0s\0]\0\r\0\n\0M\0i\0n\0V\0a\0l\0u\0e\0=\0"
                                                                     "1\0\r\0\n\0", 38);
    struct Case { const char *name; QByteArray bytes; qint32 min; bool said; };
    const Case cases[] = {
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[Ranges]\r\nMinValue=100012345\r\n", 100012345, false},
        {"lines ending in CR alone", "[Defaults]\rStationID=A\r[Ranges]\rMinValue=100012345\r", 100012345, false},
        {"UTF-16 with its byte-order mark", utf16, 0, true},
        {"UTF-16 without one", utf16.mid(2), 0, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        folder.writeFile("tabrix.ini", c.bytes);
        EXPECT_EQ(IniFile::ReadInteger(file, "Ranges", "MinValue", 0), c.min);
        const QString fault = IniFile::EncodingFault(file);
        EXPECT_EQ(!fault.isEmpty(), c.said);
        if (!c.said)
            continue;
        EXPECT_TRUE(fault.contains(file) && fault.contains("UTF-16") && fault.contains("save it as UTF-8")) << qPrintable(fault);
        EXPECT_THROW(IniFile::WriteInteger(file, "Ranges", "MaxValue", 1), ETabrixError); // never rewritten
        EXPECT_EQ(folder.readFile("tabrix.ini"), c.bytes);
    }
    // The start of UTF-16 text cut short reads as nothing; a write that would
    // make it a file no read can take is refused.
    const QByteArray cutShort("\0(\0(\0(\0", 7);
    folder.writeFile("tabrix.ini", cutShort);
    EXPECT_TRUE(IniFile::EncodingFault(file).isEmpty());
    EXPECT_THROW(IniFile::WriteString(file, "Defaults", "Location", "W1"), ETabrixError);
    EXPECT_EQ(folder.readFile("tabrix.ini"), cutShort);
    // A write keeps the mark and the file's own line ends.
    folder.writeFile("tabrix.ini", "\xEF\xBB\xBF[Ranges]\rMinValue=1\r");
    IniFile::WriteInteger(file, "Ranges", "MaxValue", 2);
    EXPECT_EQ(folder.readFile("tabrix.ini"), "\xEF\xBB\xBF[Ranges]\rMinValue=1\rMaxValue=2\r");
}

TEST(EventLog, LinesGoToTheUsersStateFolderAndFiveFilesOfAMegabyteAreKept)
{
    QTemporaryDir state;
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    const QString path = state.filePath("tabrix/tabrix.log");
    EXPECT_EQ(EventLog::FilePath(), path);
    EventLog::SetProgram("tabrix-test");
    const QString line = QString("saved X12345 (new) ") + QString(200, 'x');
    for (int i = 0; i < 30000; ++i) // about 7 MiB
        EventLog::Write(line + QString::number(i));
    EventLog::Write("the last line");
    qputenv("XDG_STATE_HOME", before);

    const QStringList files = QDir(state.filePath("tabrix")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"tabrix.log", "tabrix.log.1", "tabrix.log.2", "tabrix.log.3", "tabrix.log.4"}));
    for (const QString &f : files)
        EXPECT_LE(QFileInfo(state.filePath("tabrix/" + f)).size(), EventLog::MaxFileBytes) << qPrintable(f);
    QFile newest(path);
    ASSERT_TRUE(newest.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = newest.readAll().trimmed().split('\n');
    EXPECT_TRUE(lines.last().endsWith(" tabrix-test[" + QByteArray::number(QCoreApplication::applicationPid()) +
                                      "] the last line"))
        << lines.last().constData();
    QFile oldest(path + ".4");
    ASSERT_TRUE(oldest.open(QIODevice::ReadOnly));
    EXPECT_TRUE(oldest.readLine().contains("saved X12345 (new) ")); // files begin with whole lines
    EXPECT_EQ(QFileInfo(state.filePath("tabrix")).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}
