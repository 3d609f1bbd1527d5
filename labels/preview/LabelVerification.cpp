#include "labels/preview/LabelVerification.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <algorithm>

namespace Tabrix {

namespace {

// White round a barcode cut out to be read: the quiet zone it has on a clean label, in modules.
constexpr int QuietModules = 10;

ZXing::BarcodeFormat formatOf(Symbology s)
{
    switch (s) {
    case Symbology::Code128:
    case Symbology::Code128B: return ZXing::BarcodeFormat::Code128;
    case Symbology::Code39: return ZXing::BarcodeFormat::Code39;
    case Symbology::DataMatrix: return ZXing::BarcodeFormat::DataMatrix;
    case Symbology::QRCode: return ZXing::BarcodeFormat::QRCode;
    case Symbology::PDF417: return ZXing::BarcodeFormat::PDF417;
    }
    return ZXing::BarcodeFormat::None;
}

// What zxing reads in the barcode's place on the label, cut out with white round
// it; empty bytes with `read` false when nothing reads.
struct ReadBack {
    bool read = false;
    QByteArray data;
};

ReadBack readBack(const QImage &label, const DrawnField &barcode)
{
    const int margin = QuietModules * std::max(barcode.module, 1);
    const QRect symbol = barcode.symbol & label.rect();
    QImage piece(symbol.width() + 2 * margin, symbol.height() + 2 * margin, QImage::Format_Grayscale8);
    piece.fill(255);
    for (int y = 0; y < symbol.height(); ++y)
        std::copy_n(label.constScanLine(symbol.top() + y) + symbol.left(), symbol.width(), piece.scanLine(margin + y) + margin);
    const ZXing::ImageView view(piece.constBits(), piece.width(), piece.height(), ZXing::ImageFormat::Lum,
                                int(piece.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(formatOf(barcode.symbology));
    hints.setTryRotate(true);
    hints.setValidateCode39CheckSum(barcode.checkDigit);
    hints.setIsPure(true); // one symbol on white: read at once
    ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) {
        hints.setIsPure(false);
        hints.setTryHarder(true);
        result = ZXing::ReadBarcode(view, hints);
    }
    if (!result.isValid())
        return {};
    const ZXing::ByteArray &bytes = result.bytes();
    return {true, QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))};
}

// Why one barcode of a label will not read, or nothing.
QString faultOf(const LabelPicture &label, const DrawnField &barcode)
{
    if (!barcode.error.isEmpty())
        return QStringLiteral("it cannot be made (%1)").arg(barcode.error);
    if (const QString edge = EdgePassed(barcode.symbol, label.image.rect()); !edge.isEmpty())
        return QStringLiteral("it runs past the label's %1 edge").arg(edge);
    if (barcode.linear && barcode.module < MinModuleDots)
        return QStringLiteral("its bars are %1 dot wide, under the %2 dots a printer makes readable")
            .arg(barcode.module)
            .arg(MinModuleDots);
    for (const DrawnField &other : label.fields)
        if (other.number != barcode.number && other.kind != DrawnField::Graphic && other.bounds.intersects(barcode.symbol))
            return QStringLiteral("it overlaps field %1").arg(other.number);
    const ReadBack back = readBack(label.image, barcode);
    if (!back.read)
        return QStringLiteral("it reads as nothing");
    if (back.data != barcode.data)
        return QStringLiteral("it reads as \"%1\", not \"%2\"")
            .arg(QString::fromLatin1(back.data), QString::fromLatin1(barcode.data));
    return QString();
}

} // namespace

QString EdgePassed(const QRect &r, const QRect &label)
{
    if (r.right() > label.right())
        return QStringLiteral("right");
    if (r.left() < label.left())
        return QStringLiteral("left");
    if (r.bottom() > label.bottom())
        return QStringLiteral("bottom");
    if (r.top() < label.top())
        return QStringLiteral("top");
    return QString();
}

QString LabelVerdict::why() const
{
    if (result == Reads)
        return QString();
    if (result == Unverified)
        return fault;
    if (field == 0)
        return QStringLiteral("its barcodes cannot be checked: %1").arg(fault);
    return QStringLiteral("the barcode of field %1 does not read: %2").arg(field).arg(fault);
}

QString LabelVerdict::ledgerOutcome() const
{
    if (field == 0)
        return QStringLiteral("not sent: barcodes cannot be checked (%1)").arg(fault);
    return QStringLiteral("not sent: barcode does not read (field %1: %2)").arg(field).arg(fault);
}

LabelVerdict VerifyPreview(const LabelPreview &preview)
{
    if (preview.notZpl)
        return {LabelVerdict::Unverified, 0, QStringLiteral("this printer language cannot be read back")};
    if (!preview.error.isEmpty())
        return {LabelVerdict::DoesNotRead, 0, preview.error.left(1).toLower() + preview.error.mid(1)};
    for (const LabelPicture &label : preview.labels)
        if (const LabelVerdict verdict = VerifyPicture(label); verdict.result != LabelVerdict::Reads)
            return verdict;
    return {};
}

LabelVerdict VerifyPicture(const LabelPicture &label)
{
    for (const DrawnField &field : label.fields)
        if (field.kind == DrawnField::Barcode)
            if (const QString fault = faultOf(label, field); !fault.isEmpty())
                return {LabelVerdict::DoesNotRead, field.number, fault};
    return {};
}

LabelVerdict VerifyLabel(const QByteArray &bytes, const PreviewOptions &options)
{
    return VerifyPreview(RenderLabels(bytes, options));
}

} // namespace Tabrix
