#pragma once
#include "labels/preview/PreviewBarcodes.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QStringList>
#include <atomic>

namespace Tabrix {

// Pictures of label bytes in the ZPL II printer language, one pixel per printer
// dot, black on white. A picture shows what the bytes ask for with approximated
// printer fonts; it is never sent anywhere.
//
// Drawing is bounded: a stream that would take longer than `timeLimitMs`, or
// hold more than MaxStreamDots dots of pictures or MaxFields fields in a label,
// is not drawn at all and said to be too costly, so that no label can hang the
// print that checks it or the editor that shows it.
struct PreviewOptions {
    double dotsPerMm = 8;              // 8: 203 dpi
    double widthMm = 0, heightMm = 0;  // 0: as ^PW and ^LL say, else 2 x 1 inch
    int timeLimitMs = 800; // with what a field in progress still takes, an answer within a second
    const std::atomic<bool> *cancel = nullptr; // set: the drawing is no longer wanted
};

// A field as it lands on the label, for the checks that read the picture.
struct DrawnField {
    enum Kind { Text, Barcode, Graphic };
    Kind kind = Text;
    int number = 0; // 1 for the label's first field, and so on
    QRect bounds;   // where its marks go, in dots, before the label's edges cut them
    // A barcode's: what it encodes (after a check digit is added), its bars alone
    // (without the interpretation line), its narrowest bar and bar height in
    // dots, or why it could not be drawn.
    Symbology symbology = Symbology::Code128;
    bool linear = false, checkDigit = false; // checkDigit: Code 39's, added by the printer
    QByteArray data;
    QRect symbol;
    int module = 0, barHeight = 0;
    QString error;
};

struct LabelPicture {
    QImage image;         // Format_Grayscale8, every pixel 0 (black) or 255 (white)
    int copies = 1;       // ^PQ
    QStringList notShown; // what the picture leaves out ("^XYZ", a barcode's error), once each
    QList<DrawnField> fields; // in the order of the label's fields
};

struct LabelPreview {
    QList<LabelPicture> labels; // one for each ^XA ... ^XZ
    QString error;              // set when the bytes cannot be drawn; then there are no labels
    bool notZpl = false;        // the error is NotPreviewable
    bool tooCostly = false;     // the error is TooCostly (or the drawing was cancelled)
};

inline const char *const NotPreviewable = "This printer language cannot be previewed";
inline const char *const TooCostly = "This label is too costly to draw";

// The largest picture side, the most labels of one stream, and the most lines of
// a field block: beyond them a picture is cut, never made bigger.
constexpr int MaxPictureDots = 4000;
constexpr int MaxPictures = 100;
constexpr int MaxBlockLines = 200;
constexpr qint64 MaxStreamDots = 64LL * 1024 * 1024; // 64 MiB of pictures
constexpr int MaxFields = 10000;

LabelPreview RenderLabels(const QByteArray &bytes, const PreviewOptions &options = {});

// A picture as a 1-bit PNG file; false when it cannot be written.
bool SavePicture(const QImage &picture, const QString &file);

} // namespace Tabrix
