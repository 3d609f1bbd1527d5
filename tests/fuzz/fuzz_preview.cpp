// The label renderer under any bytes: it never crashes or hangs, and its pictures
// stay within their bound however large the sizes the bytes ask for.
#include "labels/preview/LabelPreview.h"

#include <QGuiApplication>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The letters' outlines come from Qt's font system. The application is never
    // destroyed: the fuzzer ends the process from its own exit handlers.
    new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const Tabrix::LabelPreview preview = Tabrix::RenderLabels(bytes);
    if (preview.labels.size() > Tabrix::MaxPictures)
        std::abort();
    for (const Tabrix::LabelPicture &label : preview.labels)
        if (label.image.width() > Tabrix::MaxPictureDots || label.image.height() > Tabrix::MaxPictureDots)
            std::abort();
    return 0;
}
