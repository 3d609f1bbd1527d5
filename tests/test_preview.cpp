#include "labels/LabelFields.h"
#include "labels/Template.h"
#include "labels/preview/LabelPreview.h"
#include "labels/preview/LabelDrawer.h"
#include "labels/preview/LabelVerification.h"
#include "labels/preview/LayoutCheck.h"
#include "labels/SampleValues.h"
#include "register/RecordStore.h"
#include "tests/TestSupport.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>

using namespace Tabrix;

namespace {

QString goldenDir()
{
    return qEnvironmentVariable("TABRIX_TEST_DATA") + QStringLiteral("/golden/preview");
}

// The boxes round the groups of black dots that lie within `reach` dots of each other.
QList<QRect> inkGroups(const QImage &p, int reach)
{
    const int w = p.width(), h = p.height();
    std::vector<char> seen(size_t(w) * size_t(h), 0);
    const auto black = [&](int x, int y) { return p.constScanLine(y)[x] < 128; };
    QList<QRect> groups;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (!black(x0, y0) || seen[size_t(y0) * w + x0])
                continue;
            QRect box(x0, y0, 1, 1);
            QList<QPoint> todo{{x0, y0}};
            seen[size_t(y0) * w + x0] = 1;
            while (!todo.isEmpty()) {
                const QPoint q = todo.takeLast();
                box |= QRect(q, QSize(1, 1));
                for (int y = std::max(0, q.y() - reach); y <= std::min(h - 1, q.y() + reach); ++y)
                    for (int x = std::max(0, q.x() - reach); x <= std::min(w - 1, q.x() + reach); ++x)
                        if (black(x, y) && !seen[size_t(y) * w + x]) {
                            seen[size_t(y) * w + x] = 1;
                            todo << QPoint(x, y);
                        }
            }
            groups << box;
        }
    return groups;
}

// Every barcode zxing reads in the picture, as "FORMAT:text", sorted: each group of
// marks is cut out with a white margin (the quiet zone a label has on the roll) and
// read as a lone symbol, and else searched.
QStringList decodeAll(const QImage &picture)
{
    QStringList found;
    for (const QRect &group : inkGroups(picture, 14)) {
        QImage piece(group.width() + 80, group.height() + 80, QImage::Format_Grayscale8);
        piece.fill(255);
        for (int y = 0; y < group.height(); ++y)
            std::copy_n(picture.constScanLine(group.top() + y) + group.left(), group.width(), piece.scanLine(y + 40) + 40);
        const ZXing::ImageView view(piece.constBits(), piece.width(), piece.height(), ZXing::ImageFormat::Lum,
                                    int(piece.bytesPerLine()));
        ZXing::DecodeHints hints;
        hints.setTryHarder(true);
        hints.setTryRotate(true);
        hints.setIsPure(true);
        if (const ZXing::Result lone = ZXing::ReadBarcode(view, hints); lone.isValid()) {
            found << QString::fromStdString(ZXing::ToString(lone.format())) + u':' + QString::fromStdString(lone.text());
            continue;
        }
        hints.setIsPure(false);
        for (const ZXing::Result &r : ZXing::ReadBarcodes(view, hints))
            if (r.isValid())
                found << QString::fromStdString(ZXing::ToString(r.format())) + u':' + QString::fromStdString(r.text());
    }
    found.sort();
    found.removeDuplicates();
    return found;
}

int differingPixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += (a.constScanLine(y)[x] < 128) != (b.constScanLine(y)[x] < 128);
    return n;
}

// The black dots of `part` are black in `whole` too.
bool contains(const QImage &whole, const QImage &part)
{
    int inked = 0;
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            if (part.constScanLine(y)[x] < 128) {
                ++inked;
                if (whole.constScanLine(y)[x] >= 128)
                    return false;
            }
    return inked > 0;
}

// The lengths of the dark runs along row `y` from x0 to x1, and of the light ones.
QList<int> darkRuns(const QImage &p, int y, int x0, int x1, QList<int> *light = nullptr)
{
    QList<int> dark, white;
    for (int x = x0; x < x1;) {
        const bool black = p.constScanLine(y)[x] < 128;
        int run = 0;
        for (; x < x1 && (p.constScanLine(y)[x] < 128) == black; ++x)
            ++run;
        (black ? dark : white) << run;
    }
    if (light)
        *light = white;
    return dark;
}

struct Golden {
    const char *name;
    QByteArray zpl;
    QStringList barcodes; // what zxing must read in the first picture
    int labels = 1;
};

const Golden Goldens[] = {
    {"fonts",
     "^XA^PW406^LL203"
     "^FO5,5^A0N,28,28^FDFont 0 28^FS^FO5,40^A0N,20,40^FDwide^FS^FO150,40^A0N,40,16^FDtall^FS"
     "^FO5,90^AAN^FDFONT A^FS^FO80,90^ABN^FDFONT B^FS^FO170,90^ACN^FDFONT C^FS"
     "^FO5,115^ADN,36,20^FDD x2^FS^FO120,115^AEN^FDE^FS^FO160,115^AFN^FDF^FS^FO200,115^AHN^FDH^FS"
     "^FO240,110^AGN^FDG^FS^CFD,18,10^FO5,175^FDdefault CF^FS^XZ"},
    {"orientations",
     "^XA^PW406^LL203^FO20,20^A0N,30,30^FDNormal^FS^FO200,10^A0R,30,30^FDRotated^FS"
     "^FO250,10^A0I,30,30^FDInverted^FS^FO360,10^A0B,30,30^FDBottom^FS"
     "^FT20,150^A0N,30,30^FDBaseline^FS^FT300,110^FWR^A0,20,20^FDFW sets R^FS^XZ"},
    {"field_blocks",
     "^XA^PW406^LL203^CF0,20"
     "^FO10,10^FB180,3,2,L,0^FDleft aligned words that wrap over lines^FS"
     "^FO210,10^FB180,3,2,R^FDright aligned words that wrap over lines^FS"
     "^FO10,100^FB180,2,0,C^FDcentred\\&two lines^FS"
     "^FO210,100^FB180,3,0,J^FDjustified text fills each line but the last^FS"
     "^FO10,170^FB380,1^FDone line only, the rest prints over it^FS^XZ"},
    {"reverse_and_home",
     "^XA^PW406^LL203^FO10,10^GB190,80,80^FS^FO20,30^FR^A0N,40,40^FDREVERSE^FS"
     "^LH200,100^FO10,10^A0N,30,30^FH^FDHex _41_42_5F^FS^LRY^FO0,40^GB150,50,50^FS^LRN"
     "^LH0,0^CI28^FO10,120^A0N,30,30^FDUTF-8 \xc3\xa9\xc3\xbc^FS^XZ"},
    {"graphics",
     "^XA^PW406^LL203^FO5,5^GB396,193,3^FS^FO20,20^GB100,60,60^FS^FO140,20^GB100,60,4,B,5^FS"
     "^FO260,20^GB120,0,2^FS^FO260,40^GB0,60,3^FS^FO40,30^GB40,20,20,W^FS"
     "^FO20,100^GC80,4^FS^FO120,100^GC80,40^FS^FO220,100^GB160,80,10,B,8^FS^XZ"},
    {"code128",
     "^XA^PW406^LL203^FO20,10^BY3^BCN,50,Y,N,N^FDX12345^FS"
     "^FO20,110^BY2^BCN,40,N,N,N,A^FD00012345^FS^FO330,10^BY2^BCR,40,Y,N,N^FDCBC^FS^XZ",
     {"Code128:00012345", "Code128:CBC", "Code128:X12345"}},
    {"code39",
     "^XA^PW406^LL203^FO10,10^BY2,3^B3N,N,60,Y,N^FDABC-123^FS^FO10,110^BY1,2.5^B3N,Y,50,N^FDX12345^FS^XZ",
     {"Code39:ABC-123", "Code39:X123455"}},
    {"matrix_codes",
     "^XA^PW406^LL203^FO10,10^BXN,4,200^FDX12345 CBC^FS^FO120,10^BQN,2,4^FDQA,X12345^FS"
     "^FO10,120^BY2^B7N,5,3,3^FDX12345 PINDLE^FS^XZ",
     {"DataMatrix:X12345 CBC", "PDF417:X12345 PINDLE", "QRCode:X12345"}},
    {"fields_and_prefixes",
     "^XA^PW406^LL203~SD15^FX a comment draws nothing^FS~HS^FO10,10^A0N,30,30^FVvariable field^FS"
     "^FO10,60^BY2^BCN,50,Y,N,Y^FD1234567^FS^XZ",
     {"Code128:12345670"}},
    {"two_labels",
     "^XA^FO10,10^A0N,40,40^FDfirst^FS^XZ\r\n^XA^PQ2^FO10,10^A0N,40,40^FDsecond^FS^XYZ^XZ", {}, 2},
};

// The bytes of the golden label of that name.
QByteArray goldenZpl(const char *name)
{
    for (const Golden &g : Goldens)
        if (qstrcmp(g.name, name) == 0)
            return g.zpl;
    ADD_FAILURE() << "no golden label " << name;
    return {};
}

} // namespace

TEST(Preview, GoldenPicturesDotForDotAndEveryBarcodeReadsBack)
{
    const bool regenerate = qEnvironmentVariableIsSet("TABRIX_REGENERATE_GOLDEN");
    QTemporaryDir failed(QDir::tempPath() + "/preview-failed-XXXXXX");
    failed.setAutoRemove(false);
    for (const Golden &g : Goldens) {
        SCOPED_TRACE(g.name);
        const LabelPreview preview = RenderLabels(g.zpl);
        ASSERT_TRUE(preview.error.isEmpty());
        ASSERT_EQ(preview.labels.size(), g.labels);
        for (int i = 0; i < preview.labels.size(); ++i) {
            const QImage &picture = preview.labels[i].image;
            const QString file = goldenDir() + QStringLiteral("/%1%2.png").arg(g.name, i ? QStringLiteral("-%1").arg(i + 1) : "");
            if (regenerate) {
                ASSERT_TRUE(SavePicture(picture, file)) << qPrintable(file);
                continue;
            }
            const QImage expected = QImage(file).convertToFormat(QImage::Format_Grayscale8);
            ASSERT_FALSE(expected.isNull()) << "no golden picture " << qPrintable(file);
            const int differ = differingPixels(picture, expected);
            if (differ != 0)
                SavePicture(picture, failed.filePath(QFileInfo(file).fileName()));
            EXPECT_EQ(differ, 0) << "dots differ from " << qPrintable(file) << "; the picture made is in "
                                 << qPrintable(failed.path());
        }
        EXPECT_EQ(decodeAll(preview.labels[0].image), g.barcodes);
    }
    // A comment and a printer setting draw nothing; a tilde command the picture cannot show is named.
    EXPECT_EQ(RenderLabels(goldenZpl("fields_and_prefixes")).labels[0].notShown, QStringList{"~HS"});
    const LabelPreview two = RenderLabels(goldenZpl("two_labels"));
    EXPECT_EQ(two.labels[0].copies, 1);
    EXPECT_EQ(two.labels[1].copies, 2);
    EXPECT_EQ(two.labels[0].notShown, QStringList());
    EXPECT_EQ(two.labels[1].notShown, QStringList{"^XY"});
}

TEST(Preview, BarsAndModulesAreAsWideAndAsHighAsTheCommandsSay)
{
    struct Case { const char *what; QByteArray zpl; int module, height; };
    const Case cases[] = {
        {"Code 128, ^BY3, 50 high", "^XA^FO30,20^BY3^BCN,50,N,N,N^FDX12345^FS^XZ", 3, 50},
        {"Code 128, height from ^BY", "^XA^FO30,20^BY2,3,77^BCN,,N^FDX12345^FS^XZ", 2, 77},
        {"Code 39, ^BY4", "^XA^FO10,20^BY4,2^B3N,N,33,N^FDAB^FS^XZ", 4, 33},
        {"a module of 100 is held at 10", "^XA^PW2000^FO10,20^BY100^BCN,40,N^FD1^FS^XZ", 10, 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QImage p = RenderLabels(c.zpl).labels.value(0).image;
        ASSERT_FALSE(p.isNull());
        const int row = 20 + c.height / 2;
        QList<int> light;
        const QList<int> dark = darkRuns(p, row, 0, p.width(), &light);
        ASSERT_FALSE(dark.isEmpty());
        light.removeFirst(); // the margin before the barcode
        light.removeLast();  // and after it
        const int narrowest = std::min(*std::min_element(dark.begin(), dark.end()),
                                       *std::min_element(light.begin(), light.end()));
        EXPECT_EQ(narrowest, c.module);
        int x = 0;
        while (p.constScanLine(row)[x] >= 128)
            ++x;
        int high = 0;
        for (int y = 0; y < p.height(); ++y)
            high += p.constScanLine(y)[x] < 128;
        EXPECT_EQ(high, c.height);
    }
    // A QR code's finder pattern is seven modules of `magnification` dots.
    for (int magnification : {2, 3, 5}) {
        const QImage p = RenderLabels("^XA^FO20,20^BQN,2," + QByteArray::number(magnification) + "^FDQA,X12345^FS^XZ")
                             .labels[0].image;
        int y = 0;
        while (y < p.height() && p.constScanLine(y)[std::min(p.width() - 1, 20 + magnification)] >= 128)
            ++y;
        ASSERT_LT(y, p.height());
        EXPECT_EQ(darkRuns(p, y, 0, p.width() / 2 + 60).value(0), 7 * magnification) << magnification;
    }
}

TEST(Preview, TheSampleTemplateShowsTheNameTheAccessionAsCode128AndTheTest)
{
    Support::ProgramFolder folder;
    folder.createRegister();
    {
        RecordStore writer{folder.station};
        writer.Connect(folder.path("tabrix.udl"));
        Support::AddPatient(writer,
                        {{"AccnNum", 100012345}, {"AccnStr", "X12345"}, {"Created", QDateTime(QDate(2026, 12, 8), QTime(9, 30))},
                         {"Last_Name", "PINDLE"}, {"First_Name", "OSKA"}, {"Patient_id", "MRN1"}, {"Gender", "M"},
                         {"DOB", "01/19/1970"}, {"Location", "W144"}, {"Collection_date", "12/08/2026"},
                         {"Collection_Time", "0915"}},
                        {"CBC", "BMP,CMP,LIPID,TSH"});
    }
    RecordStore store{folder.station};
    store.Connect(folder.path("tabrix.udl"));
    store.tblTests.First();
    const QStringList lines = LoadTemplateLines(qEnvironmentVariable("TABRIX_TEST_DATA") + "/../app/tabrix.tpd");
    const QByteArray bytes = RenderLabel(lines, [&](const QString &, const TagParams &p) {
        return PageProducer1HTMLTag(store.currentRegistration(), store.tblTests.asString("TestCode"),
                                    folder.station.settings().StationID, p);
    });
    const LabelPreview preview = RenderLabels(bytes);
    ASSERT_EQ(preview.labels.size(), 1);
    const QImage label = preview.labels[0].image;
    EXPECT_EQ(label.size(), QSize(406, 203));
    EXPECT_EQ(preview.labels[0].notShown, QStringList());
    EXPECT_EQ(decodeAll(label), QStringList{"Code128:X12345"});
    // The same letters drawn alone at the template's places are all on the label.
    for (const char *alone : {"^XA^PW406^LL203^FO20,6^A0N,28,28^FDPINDLE,OSKA^FS^XZ",
                              "^XA^PW406^LL203^FO250,62^A0N,30,30^FDX12345^FS^XZ",
                              "^XA^PW406^LL203^FO20,148^A0N,22,22^FDCBC^FS^XZ"})
        EXPECT_TRUE(contains(label, RenderLabels(alone).labels[0].image)) << alone;
    EXPECT_FALSE(contains(label, RenderLabels("^XA^PW406^LL203^FO20,6^A0N,28,28^FDPINDLE,OSKB^FS^XZ").labels[0].image));
}

TEST(Preview, OtherLanguagesUnknownCommandsAndHugeSizes)
{
    const LabelPreview epl = RenderLabels("N\r\nA50,0,0,1,1,1,N,\"X12345\"\r\nP1\r\n");
    EXPECT_EQ(epl.error, "This printer language cannot be previewed");
    EXPECT_TRUE(epl.labels.isEmpty());

    const LabelPreview unknown = RenderLabels("^XA^FO10,10^A0N,20,20^FDx^FS^ZZ1^A@N,20,20,E:ARIAL.TTF^FDy^FS~JA^XZ");
    ASSERT_EQ(unknown.labels.size(), 1);
    EXPECT_EQ(unknown.labels[0].notShown, (QStringList{"^ZZ", "^A@", "~JA"}));

    struct Case { const char *what; QByteArray zpl; QSize size; };
    const Case huge[] = {
        {"^PW and ^LL beyond the printer", "^XA^PW99999^LL99999^FO10,10^GB32000,32000,32000^FS^XZ", {4000, 4000}},
        {"a block of 9999 lines", "^XA^FO0,0^A0N,10,10^FB400,9999,0^FD" + QByteArray("word ").repeated(3000) + "^FS^XZ",
         {406, 203}},
        {"a label 10 mm by 5 mm at 12 dots", "^XA^FO0,0^GB50,50,50^FS^XZ", {120, 60}},
    };
    for (const Case &c : huge) {
        SCOPED_TRACE(c.what);
        PreviewOptions options;
        if (c.size == QSize(120, 60))
            options = {12, 10, 5};
        const LabelPreview p = RenderLabels(c.zpl, options);
        ASSERT_EQ(p.labels.size(), 1);
        EXPECT_EQ(p.labels[0].image.size(), c.size);
    }
    QByteArray many;
    for (int i = 0; i < 150; ++i)
        many += "^XA^FO1,1^GB5,5,5^FS^XZ";
    const LabelPreview hundred = RenderLabels(many);
    ASSERT_EQ(hundred.labels.size(), MaxPictures);
    EXPECT_TRUE(hundred.labels.last().notShown.contains("the labels after the 100th"));
}

TEST(Preview, TheCommandLineToolWritesOnePictureForEachLabel)
{
    QTemporaryDir dir;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const auto run = [&](const QStringList &args, QString *err = nullptr) {
        QProcess p;
        p.start(QStringLiteral(TABRIX_PREVIEW_TOOL), args);
        p.waitForFinished(60000);
        if (err)
            *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    const QString two = write("two.zpl", goldenZpl("two_labels"));
    QString err;
    EXPECT_EQ(run({two, dir.filePath("out.png")}, &err), 0);
    EXPECT_EQ(err, dir.filePath("out-2.png") + ": not shown: ^XY\n");
    for (const char *name : {"out.png", "out-2.png"}) {
        const QImage written(dir.filePath(name));
        EXPECT_EQ(written.size(), QSize(406, 203)) << name;
    }
    EXPECT_EQ(differingPixels(QImage(dir.filePath("out-2.png")).convertToFormat(QImage::Format_Grayscale8),
                              RenderLabels(goldenZpl("two_labels")).labels[1].image),
              0);
    EXPECT_EQ(run({"--dpmm", "12", "--width-mm", "25", "--height-mm", "10", two, dir.filePath("small.png")}), 0);
    EXPECT_EQ(QImage(dir.filePath("small.png")).size(), QSize(300, 120));

    const QString epl = write("label.epl", "N\r\nP1\r\n");
    EXPECT_EQ(run({epl, dir.filePath("x.png")}, &err), 1);
    EXPECT_TRUE(err.contains("This printer language cannot be previewed")) << qPrintable(err);
    EXPECT_EQ(run({dir.filePath("missing.zpl"), dir.filePath("x.png")}), 1);
    for (const QStringList &bad : {QStringList{}, QStringList{two}, QStringList{"--dpmm", "x", two, "o.png"},
                                   QStringList{"--sample", "s.tst", two, "o.png"}, QStringList{"--what", two, "o.png"}})
        EXPECT_EQ(run(bad), 2) << qPrintable(bad.join(' '));

    // A printer definition filled with the test print's sample values.
    const QString tpd = qEnvironmentVariable("TABRIX_TEST_DATA") + "/../app/tabrix.tpd";
    EXPECT_EQ(run({"--template", tpd, dir.filePath("sample.png")}, &err), 0) << qPrintable(err);
    const QImage sample = QImage(dir.filePath("sample.png")).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(sample.size(), QSize(406, 203));
    EXPECT_EQ(decodeAll(sample).size(), 1);

    // The layout check: nothing to say of the sample; a JSON line and status 1 for a fault.
    QProcess check;
    check.start(QStringLiteral(TABRIX_PREVIEW_TOOL), {"--check", tpd});
    check.waitForFinished(60000);
    EXPECT_EQ(check.exitCode(), 0);
    EXPECT_EQ(check.readAllStandardOutput(), "");
    const QString narrow = write("narrow.tpd", "^XA^FO30,20^BY1^BCN,80,N^FD<#Field Name=AccnStr>^FS^XZ\r\n");
    check.start(QStringLiteral(TABRIX_PREVIEW_TOOL), {"--check", narrow});
    check.waitForFinished(60000);
    EXPECT_EQ(check.exitCode(), 1);
    EXPECT_EQ(check.readAllStandardOutput(),
              "{\"field\":1,\"label\":1,\"message\":\"The barcode of field 1 has bars 1 dot wide; a printer makes bars readable from 2 "
              "dots (^BY2).\",\"rule\":\"narrow-module\",\"severity\":\"error\"}\n");
}

TEST(LayoutCheck, EachRuleHasATemplateThatBreaksItAloneAndGoodTemplatesNone)
{
    const SampleValues samples = SampleValues::BuiltIn();
    const TagHandler fill = [&](const QString &, const TagParams &p) { return samples.TagValue(p); };
    const QString tpd = qEnvironmentVariable("TABRIX_TEST_DATA") + "/../app/tabrix.tpd";
    EXPECT_EQ(CheckLayout(LoadTemplateLines(tpd), fill, {}), QList<LayoutFinding>());

    const auto label = [](const QString &size, const QString &bars, const QString &more = QString()) {
        return QStringList{"^XA" + size + bars + "^FD<#Field Name=AccnStr>^FS^FO260,20^A0N,30,30^FD<#Field Name=AccnStr>^FS" +
                           more + "^XZ"};
    };
    const QString size = "^PW406^LL203", bars = "^FO30,20^BY2^BCN,80,N,N,N";
    EXPECT_EQ(CheckLayout(label(size, bars), fill, {}), QList<LayoutFinding>());
    EXPECT_EQ(CheckLayout(label("^PW812^LL203", bars), fill, {8, 101.6, 25.4, 10}), QList<LayoutFinding>());

    struct Case { const char *rule; QStringList lines; int field; bool error; };
    const Case cases[] = {
        {"outside-label", label(size, bars, "^FO350,150^A0N,30,30^FD<#Field Name=Last_Name>^FS"), 3, true},
        {"quiet-zone", label(size, "^FO10,20^BY2^BCN,80,N,N,N"), 1, true},
        {"narrow-module", label(size, "^FO30,20^BY1^BCN,80,N,N,N"), 1, true},
        {"short-bars", label(size, "^FO30,20^BY2^BCN,50,N,N,N"), 1, true},
        {"overlap", label(size, bars, "^FO40,40^A0N,20,20^FD<#Field Name=TestCode>^FS"), 1, true},
        {"fixed-data", {"^XA^PW406^LL203^FO30,20^BY2^BCN,80,N,N,N^FDX99999^FS^XZ"}, 1, true},
        {"label-size", label("^PW812^LL203", bars), 0, false},
    };
    // A template of two labels: each is checked, the finding names its label.
    const QList<LayoutFinding> second = CheckLayout(label(size, bars) + label(size, "^FO30,20^BY2^BCN,50,N,N,N"), fill, {});
    ASSERT_EQ(second.size(), 1);
    EXPECT_EQ(second[0].label, 2);
    EXPECT_TRUE(second[0].text().startsWith("label 2, short-bars, field 1: ")) << qPrintable(second[0].text());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rule);
        const QList<LayoutFinding> findings = CheckLayout(c.lines, fill, {});
        ASSERT_EQ(findings.size(), 1) << qPrintable(findings.value(1).text());
        EXPECT_EQ(findings[0].rule, c.rule) << qPrintable(findings[0].text());
        EXPECT_EQ(findings[0].field, c.field);
        EXPECT_EQ(findings[0].error, c.error);
        EXPECT_FALSE(findings[0].sentence.isEmpty());
    }
}

TEST(Preview, CostlyInputsAreAnsweredAsTooCostlyWithinTheBound)
{
    QByteArray bigLabels, boxes = "^XA", blocks = "^XA", framed = "^XA^PW4000^LL4000";
    for (int i = 0; i < 100; ++i)
        bigLabels += "^XA^PW4000^LL4000^FO0,0^GB4000,4000,2^FS^XZ";
    while (boxes.size() < 16 * 1024 * 1024)
        boxes += "^FO1,1^GB5,5,5^FS";
    for (int i = 0; i < 2000; ++i)
        blocks += "^FO0,0^A0N,10,10^FB400,200,0^FD" + QByteArray("word ").repeated(800) + "^FS";
    for (int i = 0; i < 200; ++i)
        framed += QStringLiteral("^FO%1,%1^GB%2,%2,1^FS").arg(i * 5).arg(4000 - i * 10).toLatin1();
    const std::atomic<bool> cancelled{true};
    struct Case { const char *what; QByteArray zpl; PreviewOptions options; bool costly; };
    const Case cases[] = {
        {"100 labels of 4000 x 4000 dots", bigLabels + "^XZ", {}, true},
        {"16 MiB of boxes", boxes + "^XZ", {}, true},
        {"2000 field blocks, with a tenth of a second to draw them", blocks + "^XZ", {8, 0, 0, 100}, true},
        {"a drawing no longer wanted", "^XA^FO0,0^GB10,10,10^FS^XZ", {8, 0, 0, 1000, &cancelled}, true},
        {"200 nested boxes on a label of 4000 x 4000 dots", framed + "^XZ", {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const LabelPreview p = RenderLabels(c.zpl, c.options);
        EXPECT_EQ(p.tooCostly, c.costly);
        if (c.costly) {
            EXPECT_EQ(p.error, "This label is too costly to draw");
            EXPECT_TRUE(p.labels.isEmpty());
            EXPECT_EQ(VerifyPreview(p).why(), "its barcodes cannot be checked: this label is too costly to draw");
            continue;
        }
        ASSERT_EQ(p.labels.size(), 1);
        const QImage &picture = p.labels[0].image;
        EXPECT_EQ(p.labels[0].fields.size(), 200);
        // Each box is its one-dot frame: dots 5 apart on the diagonal, white between.
        for (int i : {0, 5, 995})
            EXPECT_EQ(picture.pixelColor(i, i), Qt::black) << i;
        EXPECT_EQ(picture.pixelColor(3, 3), Qt::white);
        EXPECT_EQ(picture.pixelColor(2000, 2000), Qt::white);
    }
}

TEST(Preview, EveryBarcodeOfALabelReadsBackOrItsFaultIsNamed)
{
    struct Case { const char *what; QByteArray zpl; LabelVerdict::Result result; QString why; };
    const Case cases[] = {
        {"Code 128 each way round", "^XA^PW812^LL812^BY2^FO40,40^BCN,80,Y^FDX12345^FS^FO400,40^BCR,80,N^FDX12345^FS"
                                    "^FO40,400^BCI,80,N^FDX12345^FS^FO600,400^BCB,80,N^FDX12345^FS^XZ", LabelVerdict::Reads, ""},
        {"Code 39 with its check digit, and a UCC check digit",
         "^XA^PW812^LL406^BY2^FO40,40^B3N,Y,80,N^FDCBC12^FS^FO40,200^BCN,80,N,N,Y^FD12345^FS^XZ", LabelVerdict::Reads, ""},
        {"QR code, Data Matrix and PDF417", "^XA^PW812^LL406^FO20,20^BQN,2,4^FDQA,X12345 CBC^FS^FO250,20^BXN,5,200"
                                            "^FDX12345^FS^FO400,20^B7N,6,3,,,^FDX12345 CBC^FS^XZ", LabelVerdict::Reads, ""},
        {"off the bottom edge", "^XA^PW406^LL203^FO20,150^BY2^BCN,80,N^FDX12345^FS^XZ", LabelVerdict::DoesNotRead,
         "the barcode of field 1 does not read: it runs past the label's bottom edge"},
        {"more data than the symbol's size holds", "^XA^FO20,20^B7N,6,3,1,3^FD" + QByteArray("X12345 ").repeated(20) + "^FS^XZ",
         LabelVerdict::DoesNotRead,
         "the barcode of field 1 does not read: it cannot be made"},
        {"text over the bars", "^XA^FO20,20^BY2^BCN,80,N^FDX12345^FS^FO30,40^A0N,20,20^FDOVER^FS^XZ", LabelVerdict::DoesNotRead,
         "the barcode of field 1 does not read: it overlaps field 2"},
        {"a printer language the program does not draw", "N\r\nB10,10,0,1,2,2,80,N,\"X12345\"\r\nP1\r\n",
         LabelVerdict::Unverified, "this printer language cannot be read back"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const LabelVerdict verdict = VerifyLabel(c.zpl);
        EXPECT_EQ(verdict.result, c.result);
        if (c.why.isEmpty())
            EXPECT_EQ(verdict.why(), QString());
        else
            EXPECT_TRUE(verdict.why().startsWith(c.why)) << qPrintable(verdict.why());
    }
}

TEST(Preview, TheDrawerHandsBackOnlyTheNewestDrawing)
{
    LabelDrawer drawer;
    QList<LabelPreview> drawn;
    QObject::connect(&drawer, &LabelDrawer::drawn, [&](const LabelPreview &p) { drawn << p; });
    // A drawing that would take its whole second, made stale by the next request at once.
    QByteArray blocks = "^XA";
    for (int i = 0; i < 2000; ++i)
        blocks += "^FO0,0^A0N,10,10^FB400,200,0^FD" + QByteArray("word ").repeated(800) + "^FS";
    drawer.draw(blocks + "^XZ");
    drawer.draw("^XA^FO1,1^GB5,5,5^FS^XZ");
    drawer.draw("^XA^FO10,10^GB20,20,20^FS^XZ");
    const auto wait = [&](int ms, bool untilDrawn) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && !(untilDrawn && !drawn.isEmpty()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    wait(10000, true);
    wait(200, false); // nothing more comes
    ASSERT_EQ(drawn.size(), 1);
    EXPECT_EQ(drawn[0].labels.value(0).image, RenderLabels("^XA^FO10,10^GB20,20,20^FS^XZ").labels[0].image);

    drawer.draw("^XA^FO1,1^GB5,5,5^FS^XZ");
    drawer.cancel(); // no longer wanted: nothing comes of it
    wait(300, false);
    EXPECT_EQ(drawn.size(), 1);
}

// Labels of the tests' own drawn by the preview and by zpl-renderer-js, a renderer
// not ours: text of every size and orientation, field blocks of every
// justification, barcodes with their interpretation lines, inverted fields and the
// sample label. The share of dots that differ is printed for each; every label
// stays under 5%, the median under 2%, and every barcode reads the same in both.
TEST(Preview, LabelsAgreeWithAnIndependentRenderer)
{
    const QString npm = qEnvironmentVariable("TABRIX_NPM_DIR");
    ASSERT_TRUE(QFile::exists(npm + "/node_modules/zpl-renderer-js/package.json"))
        << "zpl-renderer-js is missing: the test command (tools/test.sh) installs it into " << qPrintable(npm);
    const SampleValues samples = SampleValues::BuiltIn();
    const QByteArray sample =
        RenderLabel(LoadTemplateLines(qEnvironmentVariable("TABRIX_TEST_DATA") + "/../app/tabrix.tpd"),
                    [&](const QString &, const TagParams &p) { return samples.TagValue(p); });
    const std::pair<const char *, QByteArray> labels[] = {
        {"text sizes", "^XA^PW406^LL203^FO10,5^A0N,20,20^FDPINDLE,OSKA 20 dots^FS^FO10,30^A0N,30,30^FDX12345 W144 30^FS"
                       "^FO10,65^A0N,50,40^FDCBC TSH 50^FS^FO10,120^A0N,70,50^FDHb A1c^FS^XZ"},
        {"orientations", "^XA^PW406^LL203^FO10,10^A0R,30,30^FDROTATED R^FS^FO60,10^A0I,30,30^FDINVERTED I^FS"
                         "^FO300,10^A0B,30,30^FDBOTTOM B^FS^FO60,120^A0N,30,30^FDNormal N^FS^XZ"},
        {"field blocks", "^XA^PW406^LL203^FO5,5^A0N,20,20^FB190,3,0,L^FDLeft justified block of words that wrap^FS"
                         "^FO205,5^A0N,20,20^FB190,3,0,R^FDRight justified block of words that wrap^FS"
                         "^FO5,100^A0N,20,20^FB190,3,0,C^FDCentred block of words that wrap here^FS"
                         "^FO205,100^A0N,20,20^FB190,3,0,J^FDJustified block of words that wrap here^FS^XZ"},
        {"interpretation lines", "^XA^PW406^LL203^FO20,10^BY2^BCN,60,Y,N,N^FDX12345^FS^FO20,110^BY1^B3N,N,50,Y^FDCBC12^FS^XZ"},
        {"inverted fields", "^XA^PW406^LL203^FO10,10^GB380,60,60^FS^FO20,20^A0N,40,40^FR^FDREVERSED X12345^FS"
                            "^FO10,100^GB200,80,4^FS^FO20,115^A0N,40,30^FR^FDBoxed^FS^XZ"},
        {"sample label", sample},
    };
    QTemporaryDir dir;
    QStringList args{qEnvironmentVariable("TABRIX_TEST_DATA") + "/preview/reference.mjs", npm};
    for (size_t i = 0; i < std::size(labels); ++i) {
        QFile f(dir.filePath(QString("label%1.zpl").arg(i)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(labels[i].second);
        args << f.fileName();
    }
    QProcess node;
    node.start("node", args);
    ASSERT_TRUE(node.waitForFinished(120000));
    ASSERT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();

    QList<double> shares;
    std::printf("%-22s %14s %18s\n", "label", "dots differing", "of the inked dots");
    for (size_t i = 0; i < std::size(labels); ++i) {
        SCOPED_TRACE(labels[i].first);
        const QImage ours = RenderLabels(labels[i].second).labels.value(0).image;
        // The other renderer rounds 2 x 1 inch up to whole dots: its last column and row are blank.
        const QImage theirs = QImage(dir.filePath(QString("label%1.zpl.png").arg(i)))
                                  .convertToFormat(QImage::Format_Grayscale8)
                                  .copy(ours.rect());
        ASSERT_EQ(theirs.size(), QSize(406, 203));
        int differ = 0, inked = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const bool a = ours.constScanLine(y)[x] < 128, b = theirs.constScanLine(y)[x] < 128;
                differ += a != b;
                inked += a || b;
            }
        const double share = 100.0 * differ / (ours.width() * ours.height());
        std::printf("%-22s %13.2f%% %17.1f%%\n", labels[i].first, share, 100.0 * differ / std::max(inked, 1));
        shares << share;
        EXPECT_LT(share, 5.0);
        EXPECT_EQ(decodeAll(ours), decodeAll(theirs));
    }
    std::sort(shares.begin(), shares.end());
    const double median = (shares[(shares.size() - 1) / 2] + shares[shares.size() / 2]) / 2;
    std::printf("median: %.2f%% of the dots differ\n", median);
    EXPECT_LT(median, 2.0);
}
