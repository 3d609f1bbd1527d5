// Pictures of ZPL label bytes, as the program's preview shows them.
//   tabrix-preview [--dpmm N] [--width-mm W] [--height-mm H] INPUT OUTPUT.png
//   tabrix-preview [options] --template FILE.tpd [--sample FILE.tst] OUTPUT.png
//   tabrix-preview [--dpmm N] [--sample FILE.tst] [--settings FILE.ini] --check FILE.tpd
// The first label goes to OUTPUT.png, the second to OUTPUT-2.png and so on; what a
// picture leaves out is listed on standard error. Exit status: 0 pictures written,
// 1 nothing could be shown, 2 wrong arguments. --check prints the layout check's
// findings on the test label as JSON lines and exits 1 when one is an error (2
// when the template cannot be read).
#include "base/InfoOptions.h"
#include "base/TabrixError.h"
#include "labels/SampleValues.h"
#include "labels/Template.h"
#include "labels/preview/LabelPreview.h"
#include "labels/preview/LayoutCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace Tabrix;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: tabrix-preview [--dpmm N] [--width-mm W] [--height-mm H] INPUT OUTPUT.png\n"
                         "       tabrix-preview [options] --template FILE.tpd [--sample FILE.tst] OUTPUT.png\n"
                         "       tabrix-preview [--dpmm N] [--sample FILE.tst] [--settings FILE.ini] --check FILE.tpd\n");
    return 2;
}

// The layout check of a template's test label: a JSON line for each finding.
int checkLayout(const QString &templateFile, const SampleValues &samples, const QString &settingsFile, double dotsPerMm)
{
    LayoutRules rules = settingsFile.isEmpty() ? LayoutRules() : LayoutRules::FromSettings(settingsFile);
    rules.dotsPerMm = dotsPerMm;
    const QList<LayoutFinding> findings = CheckLayout(LoadTemplateLines(templateFile),
                                                      [&](const QString &, const TagParams &p) { return samples.TagValue(p); },
                                                      rules);
    bool error = false;
    for (const LayoutFinding &f : findings) {
        std::printf("%s\n", qPrintable(f.json()));
        error = error || f.error;
    }
    return error ? 1 : 0;
}

// OUTPUT.png, OUTPUT-2.png, ...
QString pictureFile(const QString &output, int index)
{
    if (index == 0)
        return output;
    const QFileInfo info(output);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString base = output.left(output.size() - suffix.size());
    return QStringLiteral("%1-%2%3").arg(base).arg(index + 1).arg(suffix);
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto answered = AnswerInfoOptions(argc, argv, "tabrix-preview",
            "Usage: tabrix-preview [--dpmm N] [--width-mm W] [--height-mm H] INPUT OUTPUT.png\n"
            "       tabrix-preview [options] --template FILE.tpd [--sample FILE.tst] OUTPUT.png\n"
            "       tabrix-preview [--dpmm N] [--sample FILE.tst] [--settings FILE.ini] --check FILE.tpd\n"
            "Draws each label of INPUT (ZPL printer bytes) as a picture: the first in\n"
            "OUTPUT.png, the second in OUTPUT-2.png and so on; what a picture leaves out is\n"
            "listed on standard error. Exit status 0 when pictures were written, 1 when\n"
            "nothing could be shown, 2 for wrong arguments. --check prints the layout\n"
            "check's findings on the template's test label as JSON lines (label size and\n"
            "bar height from the settings file) and exits 1 when one is an error, 2 when\n"
            "the template cannot be read.\n"
            "See tabrix-preview(1).\n"))
        return *answered;
    // Letters are drawn through Qt's font system, which needs no screen here.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    PreviewOptions options;
    QString templateFile, sampleFile, checkFile, settingsFile;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto next = [&](double *number, QString *text) {
            if (i + 1 >= args.size())
                return false;
            bool ok = true;
            if (number)
                *number = args[++i].toDouble(&ok);
            else
                *text = args[++i];
            return ok && (!number || *number > 0);
        };
        bool ok = true;
        if (a == QLatin1String("--dpmm"))
            ok = next(&options.dotsPerMm, nullptr) && options.dotsPerMm <= 48;
        else if (a == QLatin1String("--width-mm"))
            ok = next(&options.widthMm, nullptr);
        else if (a == QLatin1String("--height-mm"))
            ok = next(&options.heightMm, nullptr);
        else if (a == QLatin1String("--template"))
            ok = next(nullptr, &templateFile);
        else if (a == QLatin1String("--sample"))
            ok = next(nullptr, &sampleFile);
        else if (a == QLatin1String("--check"))
            ok = next(nullptr, &checkFile);
        else if (a == QLatin1String("--settings"))
            ok = next(nullptr, &settingsFile);
        else if (a.startsWith(QLatin1String("--")))
            ok = false;
        else
            files << a;
        if (!ok)
            return usage();
    }
    if (!checkFile.isEmpty()) {
        if (!files.isEmpty() || !templateFile.isEmpty())
            return usage();
        try {
            if (!QFileInfo::exists(checkFile))
                throw ETabrixError(QStringLiteral("cannot read %1").arg(checkFile));
            return checkLayout(checkFile, sampleFile.isEmpty() ? SampleValues::BuiltIn() : SampleValues::Load(sampleFile),
                               settingsFile, options.dotsPerMm);
        } catch (const ETabrixError &e) {
            std::fprintf(stderr, "tabrix-preview: %s\n", qPrintable(e.message()));
            return 2;
        }
    }
    if (files.size() != (templateFile.isEmpty() ? 2 : 1) || (!sampleFile.isEmpty() && templateFile.isEmpty()) ||
        !settingsFile.isEmpty())
        return usage();

    QByteArray bytes;
    if (templateFile.isEmpty()) {
        QFile input(files[0]);
        if (!input.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tabrix-preview: cannot read %s: %s\n", qPrintable(files[0]), qPrintable(input.errorString()));
            return 1;
        }
        bytes = input.readAll();
    } else {
        try {
            if (!QFileInfo::exists(templateFile))
                throw ETabrixError(QStringLiteral("cannot read %1").arg(templateFile));
            const SampleValues samples = sampleFile.isEmpty() ? SampleValues::BuiltIn() : SampleValues::Load(sampleFile);
            bytes = RenderLabel(LoadTemplateLines(templateFile),
                                [&](const QString &, const TagParams &p) { return samples.TagValue(p); });
        } catch (const ETabrixError &e) {
            std::fprintf(stderr, "tabrix-preview: %s\n", qPrintable(e.message()));
            return 1;
        }
    }

    const LabelPreview preview = RenderLabels(bytes, options);
    if (!preview.error.isEmpty() || preview.labels.isEmpty()) {
        std::fprintf(stderr, "tabrix-preview: %s\n",
                     qPrintable(preview.error.isEmpty() ? QStringLiteral("no label in the input") : preview.error));
        return 1;
    }
    const QString output = files.last();
    for (int i = 0; i < preview.labels.size(); ++i) {
        const LabelPicture &label = preview.labels[i];
        const QString file = pictureFile(output, i);
        if (!SavePicture(label.image, file)) {
            std::fprintf(stderr, "tabrix-preview: cannot write %s\n", qPrintable(file));
            return 1;
        }
        for (const QString &what : label.notShown)
            std::fprintf(stderr, "%s: not shown: %s\n", qPrintable(file), qPrintable(what));
    }
    return 0;
}
