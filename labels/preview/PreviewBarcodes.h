#pragma once
#include <QByteArray>
#include <QString>
#include <vector>

namespace Tabrix {

enum class Symbology { Code128, Code128B, Code39, DataMatrix, QRCode, PDF417 };

// A barcode as libzint encodes it: `rows` rows of `width` modules, dark or light.
// An `error` (from libzint) means nothing is drawn.
struct BarcodeModules {
    int rows = 0, width = 0;
    std::vector<unsigned char> dark;
    QString error;
    bool at(int row, int column) const { return dark[size_t(row) * size_t(width) + size_t(column)] != 0; }
};

struct BarcodeRequest {
    Symbology kind = Symbology::Code128;
    QByteArray data;
    bool checkDigit = false; // Code 39: mod 43
    int security = 0;        // QR: error correction 1-4 (L, M, Q, H); PDF417: level 0-8
    int columns = 0, rows = 0; // Data Matrix and PDF417 sizes; 0: as the data needs
};

BarcodeModules EncodeBarcode(const BarcodeRequest &request);

} // namespace Tabrix
