// Label pictures per second: the sample label filled with the test print's sample
// values, and a label with a Data Matrix and a QR code, drawn alone and verified
// (drawn and every barcode read back, as before each print); then what a preview
// refresh costs after a keystroke in a template of 10 KB (fill the tags, decode,
// draw); then how long the costly inputs take to be answered, and the most memory
// the process held meanwhile, and the slowest input of the preview fuzzer's corpus.
#include "labels/SampleValues.h"
#include "labels/Template.h"
#include "labels/preview/LabelPreview.h"
#include "labels/preview/LabelVerification.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

using namespace Tabrix;

namespace {

// Runs per second of `work` over at least half a second.
double rate(const std::function<void()> &work)
{
    work(); // fonts and glyphs read once, as in the program
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (clock.elapsed() < 500 || n < 20) {
        work();
        ++n;
    }
    return n / (clock.nsecsElapsed() / 1e9);
}

double drawRate(const QByteArray &bytes)
{
    return rate([&] {
        if (RenderLabels(bytes).labels.size() != 1)
            std::fprintf(stderr, "no picture\n");
    });
}

double verifyRate(const QByteArray &bytes)
{
    return rate([&] {
        if (VerifyLabel(bytes).result != LabelVerdict::Reads)
            std::fprintf(stderr, "a barcode does not read: %s\n", qPrintable(VerifyLabel(bytes).why()));
    });
}

long peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const SampleValues samples = SampleValues::BuiltIn();
    const TagHandler fill = [&](const QString &, const TagParams &p) { return samples.TagValue(p); };
    const QStringList sampleTemplate = LoadTemplateLines(QStringLiteral(TABRIX_SAMPLE_TEMPLATE));
    const QByteArray sample = RenderLabel(sampleTemplate, fill);
    const QByteArray matrix = "^XA^PW406^LL203^FO20,15^A0N,28,28^FDPINDLE,OSKA^FS"
                              "^FO20,60^BXN,4,200^FDX12345 CBC 2026-12-08^FS^FO150,60^BQN,2,4^FDQA,X12345 CBC^FS"
                              "^FO280,60^A0N,30,30^FDX12345^FS^XZ";
    const double sampleRate = drawRate(sample), matrixRate = drawRate(matrix);
    std::printf("sample label:               %7.0f labels/s  (%.2f ms)\n", sampleRate, 1000 / sampleRate);
    std::printf("Data Matrix and QR label:   %7.0f labels/s  (%.2f ms)\n", matrixRate, 1000 / matrixRate);
    const double sampleVerified = verifyRate(sample), matrixVerified = verifyRate(matrix);
    std::printf("sample label verified:      %7.0f labels/s  (%.2f ms)\n", sampleVerified, 1000 / sampleVerified);
    std::printf("Data Matrix and QR verified:%7.0f labels/s  (%.2f ms)\n", matrixVerified, 1000 / matrixVerified);

    // 10 KB of template: the sample label's fields, and comment lines as authors write them.
    QStringList big = sampleTemplate;
    for (int i = 0; TemplateText(big).size() < 10240; ++i)
        big.insert(1, QStringLiteral("// note %1: the field below prints the patient's name, cut to 24 letters").arg(i));
    const QStringList lines = RemoveComments(big);
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (clock.elapsed() < 500 || n < 20) {
        RenderLabels(RenderLabel(lines, fill));
        ++n;
    }
    const double refresh = clock.nsecsElapsed() / 1e6 / n;
    std::printf("refresh at %d KB of template: %.2f ms\n", int(TemplateText(big).size() / 1024), refresh);

    // The costly inputs: each answered (drawn, or said too costly) within a second.
    QByteArray bigLabels, boxes = "^XA", blocks = "^XA", framed = "^XA^PW4000^LL4000";
    for (int i = 0; i < 100; ++i)
        bigLabels += "^XA^PW4000^LL4000^FO0,0^GB4000,4000,2^FS^XZ";
    while (boxes.size() < 16 * 1024 * 1024)
        boxes += "^FO1,1^GB5,5,5^FS";
    for (int i = 0; i < 2000; ++i)
        blocks += "^FO0,0^A0N,10,10^FB400,200,0^FD" + QByteArray("word ").repeated(800) + "^FS";
    for (int i = 0; i < 200; ++i)
        framed += QStringLiteral("^FO%1,%1^GB%2,%2,1^FS").arg(i * 5).arg(4000 - i * 10).toLatin1();
    const std::pair<const char *, QByteArray> costly[] = {{"100 labels of 4000 x 4000 dots", bigLabels},
                                                          {"16 MiB of boxes", boxes + "^XZ"},
                                                          {"^FB 2000 times", blocks + "^XZ"},
                                                          {"200 boxes of 4000 x 4000 dots", framed + "^XZ"}};
    double slowest = 0;
    for (const auto &[what, bytes] : costly) {
        QElapsedTimer one;
        one.start();
        const LabelPreview p = RenderLabels(bytes);
        const double ms = one.nsecsElapsed() / 1e6;
        slowest = std::max(slowest, ms);
        std::printf("%-32s %8.1f ms  %s\n", what, ms, p.tooCostly ? "too costly" : "drawn");
    }
    // Every input of the preview fuzzer's corpus: the seeds, and what a fuzzing run kept.
    int inputs = 0;
    double slowestInput = 0;
    QString slowestName;
    for (const QString &folder : {QStringLiteral(TABRIX_SOURCE_DIR "/tests/fuzz/corpus/preview"),
                                  QStringLiteral(TABRIX_SOURCE_DIR "/build-fuzz/corpus/preview")}) {
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files)) {
            QFile f(file.filePath());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = f.readAll();
            QElapsedTimer one;
            one.start();
            RenderLabels(bytes);
            const double ms = one.nsecsElapsed() / 1e6;
            ++inputs;
            if (ms > slowestInput) {
                slowestInput = ms;
                slowestName = file.fileName();
            }
        }
    }
    std::printf("fuzz corpus: %d inputs, the slowest %.1f ms (%s)\n", inputs, slowestInput, qPrintable(slowestName));
    slowest = std::max(slowest, slowestInput);
    std::printf("most memory held: %ld MiB\n", peakMiB());
    std::printf("goals: at least 500 labels/s drawn (%s), 200 verified (%s), a refresh under 16 ms (%s), "
                "every costly input within 1 s (%s) and 256 MiB (%s)\n",
                std::min(sampleRate, matrixRate) >= 500 ? "met" : "MISSED",
                std::min(sampleVerified, matrixVerified) >= 200 ? "met" : "MISSED", refresh < 16 ? "met" : "MISSED",
                slowest < 1000 ? "met" : "MISSED", peakMiB() < 256 ? "met" : "MISSED");
    return 0;
}
