#include "tools/QuickBarcodeDetector.h"

#include <ZXing/ReadBarcode.h>

namespace klipo::QuickBarcodeDetector {

namespace {

void collect(const ZXing::Results& results, QStringList& codes)
{
    for (const ZXing::Result& result : results) {
        if (!result.isValid()) continue;
        const QString text = QString::fromStdString(result.text());
        if (!text.isEmpty() && !codes.contains(text)) codes.append(text);
    }
}

}  // namespace

QStringList detect(const QImage& image)
{
    if (image.isNull()) return {};
    const QImage pixels = image.convertToFormat(QImage::Format_Grayscale8);
    if (pixels.isNull()) return {};
    const ZXing::ImageView view(pixels.constBits(), pixels.width(), pixels.height(), ZXing::ImageFormat::Lum,
                                int(pixels.bytesPerLine()));
    QStringList codes;
    try {
        ZXing::DecodeHints matrix;
        matrix.setFormats(ZXing::BarcodeFormat::MatrixCodes);
        collect(ZXing::ReadBarcodes(view, matrix), codes);
        // The library of this system aborts when it looks for several linear
        // codes in one image: ask for one at most.
        ZXing::DecodeHints linear;
        linear.setFormats(ZXing::BarcodeFormat::LinearCodes);
        linear.setMaxNumberOfSymbols(1);
        collect(ZXing::ReadBarcodes(view, linear), codes);
    } catch (...) {
        // A reader failure counts as no (further) codes.
    }
    return codes;
}

}  // namespace klipo::QuickBarcodeDetector
