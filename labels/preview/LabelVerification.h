#pragma once
#include "labels/preview/LabelPreview.h"

#include <QByteArray>
#include <QString>

namespace Tabrix {

// Whether the barcodes of a label will read: each barcode of its picture must
// lie inside the label, have bars of at least two dots, be clear of the other
// fields' marks and read back (zxing) as exactly the data of its field.
struct LabelVerdict {
    enum Result { Reads, DoesNotRead, Unverified };
    Result result = Reads;
    int field = 0; // the field of the barcode that does not read; 0: none, or the label as a whole
    QString fault; // what is wrong with it ("it runs past the label's right edge")

    // "the barcode of field 3 does not read: it runs past the label's right edge",
    // "its barcodes cannot be checked: this label is too costly to draw", or for an
    // unverified label "this printer language cannot be read back".
    QString why() const;
    // What the print ledger's row of a label not sent for it says.
    QString ledgerOutcome() const;
};

// The narrowest bar a label printer makes readable, in dots.
constexpr int MinModuleDots = 2;
// The edge of `label` that `r` runs past ("right", "left", "bottom", "top"), or "".
QString EdgePassed(const QRect &r, const QRect &label);

// The verdict on label bytes, drawn with `options` (bounded as every drawing is:
// a label too costly to draw does not read).
LabelVerdict VerifyLabel(const QByteArray &bytes, const PreviewOptions &options = {});
// The verdict on a drawing already made, and on one of its labels.
LabelVerdict VerifyPreview(const LabelPreview &preview);
LabelVerdict VerifyPicture(const LabelPicture &label);

} // namespace Tabrix
