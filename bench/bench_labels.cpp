// Producing label bytes: the sample printer definition expanded with a record's
// values and decoded, against merely copying the same bytes.
#include "labels/Template.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <cstdio>

using namespace Tabrix;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(TABRIX_SAMPLE_TEMPLATE);
    const QStringList lines = LoadTemplateLines(path);
    const QMap<QString, QString> record = {
        {"FULLNAME", "PINDLE,OSKA"}, {"PATIENT_ID", "MRN0042"}, {"DOB", "01/19/1970"}, {"AGE", "56Y"},
        {"GENDER", "M"}, {"ACCNSTR", "X12345"}, {"TESTCODE", "CBC"}, {"TESTCODE2", ""},
        {"COLLECTION_DATE", "12/08"}, {"COLLECTION_TIME", "0930"}, {"LOCATION", "W144"}};
    const TagHandler handler = [&](const QString &, const TagParams &p) {
        return record.value(p.value("Name").toUpper()).left(p.value("Length").isEmpty() ? 40 : p.value("Length").toInt());
    };

    constexpr int labels = 100000;
    QElapsedTimer clock;
    clock.start();
    qint64 bytes = 0;
    for (int i = 0; i < labels; ++i)
        bytes += RenderLabel(lines, handler).size();
    const double made = clock.nsecsElapsed() / 1e9;

    const QByteArray sample = RenderLabel(lines, handler);
    clock.restart();
    qint64 copied = 0;
    for (int i = 0; i < labels; ++i) {
        QByteArray copy(sample.constData(), sample.size()); // a real copy each time
        copied += copy.size();
    }
    const double copy = clock.nsecsElapsed() / 1e9;

    std::printf("label of %lld bytes from a template of %lld characters\n", bytes / labels, qint64(TemplateText(lines).size()));
    std::printf("expanded and decoded: %10.0f labels/s (goal: 100000)\n", labels / made);
    std::printf("copied only:          %10.0f labels/s\n", labels / copy);
    std::printf("ratio copy/produce:   %10.1f\n", made / copy);
    return copied == bytes ? 0 : 1;
}
