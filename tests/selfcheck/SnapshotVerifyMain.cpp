// Checks the files of an interface-snapshot run: klipo_snapshot_verify ROOT.
// Every snapshot is there at twice its piece's size and drawn (not a flat
// fill); dark and light differ where the appearance reaches and are the same
// for the hint cards; the recogniser reads the selecting card back. Prints
// one line per failed check and exits 1 when any failed.
#include "selfcheck/SnapshotExpectations.h"

#include "app/HUDHintPanel.h"
#include "overlay/SelHints.h"
#include "recognition/OCRService.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

using namespace klipo;

namespace {

int failures = 0;

// The share of pixels that differ from the picture's most common colour, and
// how many colours it has (counted up to a few).
struct Ink {
    double share = 0;
    int colours = 0;
};

Ink measureInk(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QHash<QRgb, qint64> counts;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) ++counts[line[x]];
    }
    qint64 most = 0;
    for (qint64 n : std::as_const(counts)) most = std::max(most, n);
    const qint64 area = qint64(argb.width()) * argb.height();
    return {area ? double(area - most) / double(area) : 0, int(std::min<qsizetype>(counts.size(), 16))};
}

void check(bool ok, const QString& what)
{
    if (ok) return;
    ++failures;
    std::printf("FAILED: %s\n", qPrintable(what));
}

QString recognisedText(const QImage& image)
{
    QFuture<OcrOutcome> future = OCRService::recognizeBlocks(image, false);
    future.waitForFinished();
    if (future.resultCount() != 1 || !future.result().ok) return {};
    QString text;
    for (const TextBlock& block : future.result().blocks) text += block.text;
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// The card's texts without the key badges: next to a badge the recogniser
// may take a line of Simplified Chinese for Traditional.
QImage textColumn(const QImage& card, const QString& text)
{
    const QList<HUDHintPanel::Row> rows = SelHints::rows({});
    const QList<HUDHintPanel::RowLayout> placed = HUDHintPanel::layout(rows, QRectF(QPointF(), HUDHintPanel::size(rows)));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].text != text) continue;
        const int left = std::max(0, int(placed[i].textBox.left() * 2) - 4);
        return card.copy(left, 0, card.width() - left, card.height());
    }
    return card;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: klipo_snapshot_verify ROOT\n");
        return 2;
    }
    const QString root = args[1];

    QHash<QString, QImage> dark;
    for (PrefsAppearanceTheme theme : {PrefsAppearanceTheme::dark, PrefsAppearanceTheme::light}) {
        const QString look = theme == PrefsAppearanceTheme::dark ? QStringLiteral("dark") : QStringLiteral("light");
        for (const test::ExpectedSnapshot& expected : test::expectedSnapshots(theme)) {
            const QString file = look + QLatin1Char('/') + expected.name + QStringLiteral(".png");
            const QImage image(root + QLatin1Char('/') + file);
            if (image.isNull()) {
                check(false, file + QStringLiteral(" is missing or not a PNG"));
                continue;
            }
            std::printf("%s %dx%d\n", qPrintable(file), image.width(), image.height());
            check(image.size() == expected.pixels,
                  QStringLiteral("%1 is %2x%3, not %4x%5")
                      .arg(file)
                      .arg(image.width())
                      .arg(image.height())
                      .arg(expected.pixels.width())
                      .arg(expected.pixels.height()));
            // Not a flat fill: more than one colour, ink over 3 % of the area.
            const Ink ink = measureInk(image);
            check(ink.colours > 1 && ink.share > 0.03, QStringLiteral("%1 looks blank (%2 colours, ink on %3 %)")
                                               .arg(file)
                                               .arg(ink.colours)
                                               .arg(ink.share * 100, 0, 'f', 1));
            if (theme == PrefsAppearanceTheme::dark) {
                dark.insert(expected.name, image);
                continue;
            }
            const bool card = expected.name.startsWith(QLatin1String("hint-"));
            const bool same = dark.value(expected.name) == image;
            check(same == card, card ? QStringLiteral("%1 differs between dark and light").arg(expected.name)
                                     : QStringLiteral("%1 is the same in dark and light").arg(expected.name));
        }
    }

    const QString wanted = QStringLiteral("选择整个屏幕");
    const QString read = recognisedText(textColumn(dark.value(QStringLiteral("hint-selecting")), wanted));
    check(read.contains(wanted), QStringLiteral("hint-selecting does not read \"%1\" back (read \"%2\")").arg(wanted, read));
    return failures ? 1 : 0;
}
