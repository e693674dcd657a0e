#pragma once

#include <QImage>
#include <QStringList>

// QR codes and barcodes read on this machine (ZXing).
namespace klipo::QuickBarcodeDetector {

// The texts of the codes in the image, each once and never empty: matrix
// codes (QR, Data Matrix, Aztec, PDF417 ...) first, all of them, then at most
// one linear barcode (EAN, UPC, Code 128 ...). Runs on the calling thread;
// holds no state, so any thread may call it.
QStringList detect(const QImage& image);

}  // namespace klipo::QuickBarcodeDetector
