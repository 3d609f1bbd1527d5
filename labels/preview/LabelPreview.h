#pragma once
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QStringList>

namespace Tabrix {

// Pictures of label bytes in the ZPL II printer language, one pixel per printer
// dot, black on white. A picture shows what the bytes ask for with approximated
// printer fonts; it is never sent anywhere.
struct PreviewOptions {
    double dotsPerMm = 8;              // 8: 203 dpi
    double widthMm = 0, heightMm = 0;  // 0: as ^PW and ^LL say, else 2 x 1 inch
};

struct LabelPicture {
    QImage image;         // Format_Grayscale8, every pixel 0 (black) or 255 (white)
    int copies = 1;       // ^PQ
    QStringList notShown; // what the picture leaves out ("^XYZ", a barcode's error), once each
};

struct LabelPreview {
    QList<LabelPicture> labels; // one for each ^XA ... ^XZ
    QString error;              // set when the bytes are not ZPL; then there are no labels
};

inline const char *const NotPreviewable = "This printer language cannot be previewed";

// The largest picture side, the most labels of one stream, and the most lines of
// a field block: beyond them a picture is cut, never made bigger.
constexpr int MaxPictureDots = 4000;
constexpr int MaxPictures = 100;
constexpr int MaxBlockLines = 200;

LabelPreview RenderLabels(const QByteArray &bytes, const PreviewOptions &options = {});

// A picture as a 1-bit PNG file; false when it cannot be written.
bool SavePicture(const QImage &picture, const QString &file);

} // namespace Tabrix
