// Label pictures per second: the sample label filled with the test print's sample
// values, and a label with a Data Matrix and a QR code; then what a preview refresh
// costs after a keystroke in a template of 10 KB (fill the tags, decode, draw).
#include "labels/SampleValues.h"
#include "labels/Template.h"
#include "labels/preview/LabelPreview.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

using namespace Tabrix;

namespace {

// Labels per second over at least half a second of rendering.
double rate(const QByteArray &bytes)
{
    RenderLabels(bytes); // fonts and glyphs read once, as in the program
    QElapsedTimer clock;
    clock.start();
    int n = 0;
    while (clock.elapsed() < 500 || n < 20) {
        if (RenderLabels(bytes).labels.size() != 1)
            std::fprintf(stderr, "no picture\n");
        ++n;
    }
    return n / (clock.nsecsElapsed() / 1e9);
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
    const double sampleRate = rate(sample), matrixRate = rate(matrix);
    std::printf("sample label:               %7.0f labels/s  (%.2f ms)\n", sampleRate, 1000 / sampleRate);
    std::printf("Data Matrix and QR label:   %7.0f labels/s  (%.2f ms)\n", matrixRate, 1000 / matrixRate);

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
    std::printf("goals: at least 500 labels/s (%s), a refresh under 16 ms (%s)\n",
                std::min(sampleRate, matrixRate) >= 500 ? "met" : "MISSED", refresh < 16 ? "met" : "MISSED");
    return 0;
}
