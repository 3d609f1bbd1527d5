#include "labels/preview/PreviewBarcodes.h"

#include <memory>
#include <zint.h>

namespace Tabrix {

BarcodeModules EncodeBarcode(const BarcodeRequest &request)
{
    BarcodeModules out;
    const std::unique_ptr<zint_symbol, void (*)(zint_symbol *)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol) {
        out.error = QStringLiteral("no memory for the barcode");
        return out;
    }
    symbol->input_mode = DATA_MODE; // the field's bytes as they are
    switch (request.kind) {
    case Symbology::Code128: symbol->symbology = BARCODE_CODE128; break;
    case Symbology::Code128B: symbol->symbology = BARCODE_CODE128B; break;
    case Symbology::Code39:
        symbol->symbology = BARCODE_CODE39;
        symbol->option_2 = request.checkDigit ? 1 : 0;
        break;
    case Symbology::DataMatrix:
        symbol->symbology = BARCODE_DATAMATRIX;
        symbol->option_3 = DM_SQUARE;
        break;
    case Symbology::QRCode:
        symbol->symbology = BARCODE_QRCODE;
        symbol->option_1 = request.security;
        break;
    case Symbology::PDF417:
        symbol->symbology = BARCODE_PDF417;
        symbol->option_1 = request.security;
        symbol->option_2 = request.columns;
        symbol->option_3 = request.rows;
        break;
    }
    const int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(request.data.constData()),
                                       int(request.data.size()));
    if (status >= ZINT_ERROR || symbol->rows <= 0 || symbol->width <= 0) {
        out.error = QString::fromLatin1(symbol->errtxt);
        if (out.error.isEmpty())
            out.error = QStringLiteral("the barcode cannot hold this data");
        return out;
    }
    out.rows = symbol->rows;
    out.width = symbol->width;
    out.dark.resize(size_t(out.rows) * size_t(out.width));
    for (int r = 0; r < out.rows; ++r)
        for (int c = 0; c < out.width; ++c)
            out.dark[size_t(r) * size_t(out.width) + size_t(c)] = (symbol->encoded_data[r][c >> 3] >> (c & 7)) & 1;
    return out;
}

} // namespace Tabrix
