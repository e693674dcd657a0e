#include "StitchTestSupport.h"
#include "scroll/SpoolFolder.h"
#include "scroll/StitchCanvas.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <map>

using namespace klipo;
using namespace klipo::test;
using namespace klipo::stitch;

namespace {

// Frames of one flat colour each, kept in memory; records how many rows
// were decoded.
class ColourSpool : public FrameSpool {
public:
    std::map<int, QRgb> colours;
    std::map<int, int> rowsRead;

    bool write(int, const FrameRows&) override { return true; }
    bool read(int keptIndex, int width, int rowCount, uchar* dest, qsizetype destStride) override
    {
        rowsRead[keptIndex] = rowCount;
        if (!colours.count(keptIndex)) return false;
        for (int y = 0; y < rowCount; ++y) {
            auto* row = reinterpret_cast<QRgb*>(dest + y * destStride);
            std::fill(row, row + width, colours[keptIndex]);
        }
        return true;
    }
    void removeAll() override {}
    bool created() const override { return false; }
    QString folder() const override { return {}; }
};

std::vector<ScrollFramePlacement> placementsAt(std::initializer_list<int> ys)
{
    std::vector<ScrollFramePlacement> out;
    int previous = 0;
    for (int y : ys) {
        out.push_back({int(out.size()), y, y - previous, ScrollSeamConfidence::exact, 0});
        previous = y;
    }
    return out;
}

const CanvasBudget plenty{int64_t(64) << 30};

}  // namespace

TEST(StitchCanvas, laterFrameCoversTheOverlapAndHiddenRowsAreNotDecoded)
{
    ColourSpool spool;
    spool.colours = {{0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}, {2, qRgb(0, 0, 255)}};
    const auto result = composeCanvas(placementsAt({0, 100, 250}), 8, 600, false, spool, plenty);
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    const QImage& image = std::get<ScrollStitchOutput>(result).image;
    EXPECT_EQ(image.height(), 850);
    EXPECT_EQ(image.pixel(3, 99), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(3, 100), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(3, 249), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(3, 250), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(3, 849), qRgb(0, 0, 255));
    EXPECT_EQ(spool.rowsRead, (std::map<int, int>{{0, 100}, {1, 150}, {2, 600}}));

    spool.colours.erase(1);
    auto broken = placementsAt({0, 100, 250});
    broken[1].frameIndex = 7;
    EXPECT_EQ(std::get<ScrollStitchError>(composeCanvas(broken, 8, 600, false, spool, plenty)),
              ScrollStitchError::frameProcessFailed(7));
}

TEST(StitchCanvas, refusesCanvasesOverTheRowOrByteLimitBeforeAllocating)
{
    ColourSpool spool;
    spool.colours = {{0, qRgb(1, 2, 3)}, {1, qRgb(4, 5, 6)}};
    auto compose = [&](int width, int height, const CanvasBudget& budget) {
        return composeCanvas(placementsAt({0, height - 600}), width, 600, false, spool, budget);
    };
    EXPECT_TRUE(std::holds_alternative<ScrollStitchOutput>(compose(2, 300000, plenty)));
    const auto tooTall = compose(2, 300001, plenty);
    EXPECT_EQ(std::get<ScrollStitchError>(tooTall), ScrollStitchError::canvasFailed(2, 300001));
    EXPECT_EQ(std::get<ScrollStitchError>(tooTall).errorDescription(),
              QStringLiteral("拼接画布创建失败（2×300001，可能过长或内存不足）"));

    // Half of 4 MiB available: 2 MiB, 5242 rows of 100 pixels.
    const CanvasBudget tight{int64_t(4) << 20};
    EXPECT_EQ(tight.maxHeight(100), 5242);
    EXPECT_TRUE(std::holds_alternative<ScrollStitchOutput>(compose(100, 5242, tight)));
    EXPECT_EQ(std::get<ScrollStitchError>(compose(100, 5243, tight)), ScrollStitchError::canvasFailed(100, 5243));

    // Never more than 1 GiB, however much memory there is.
    EXPECT_EQ(plenty.maxHeight(3840), (int64_t(1) << 30) / (3840 * 4));
    EXPECT_EQ(plenty.maxHeight(100), 300000);
    EXPECT_GT(ScrollStitcher::maxCanvasHeight(1920), 0);
}

TEST(PngSpool, storesFramesLosslesslyInEveryLayout)
{
    const QString dir = freshDir(QStringLiteral("png"));
    QImage rgb = noiseFrame(37, 20, 5).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) rgb.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xff));
    QImage argb(37, 20, QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) argb.setPixel(x, y, qRgba(x * 7, y * 11, 200, (x + y) * 5));
    const QImage grey = noiseFrame(37, 20, 6);

    for (const QImage& image : {rgb, argb, grey}) {
        const PreparedFrame frame = prepareFrame(image);
        const QString path = dir + QStringLiteral("/f.png");
        ASSERT_TRUE(writePng(path, frame.all()));
        QImage back(image.width(), image.height(),
                    frame.kind == PixelKind::argb32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        ASSERT_TRUE(readPngRows(path, image.width(), image.height(), back.bits(), back.bytesPerLine()));
        EXPECT_TRUE(samePixels(back, image)) << int(frame.kind);
        EXPECT_EQ(QImage(path).convertToFormat(back.format()), back);  // a standard PNG
        EXPECT_FALSE(readPngRows(path, image.width() + 1, 1, back.bits(), back.bytesPerLine()));
    }
    EXPECT_FALSE(writePng(dir + QStringLiteral("/missing/f.png"), prepareFrame(rgb).all()));

    // A cut-off file is refused, not read past its end.
    const QString cut = dir + QStringLiteral("/cut.png");
    ASSERT_TRUE(writePng(cut, prepareFrame(rgb).all()));
    QFile(cut).resize(QFileInfo(cut).size() / 2);
    QImage back(37, 20, QImage::Format_RGB32);
    EXPECT_FALSE(readPngRows(cut, 37, 20, back.bits(), back.bytesPerLine()));
}

TEST(ScrollStitcher, removesItsSpoolFolderAfterSuccessFailureAndCancel)
{
    const QImage page = noiseFrame(64, 900, 9);
    auto twoFrames = [&](ScrollStitcher& stitcher) {
        stitcher.append(page.copy(0, 0, 64, 600));
        stitcher.append(page.copy(0, 200, 64, 600));
        EXPECT_TRUE(QFileInfo(stitcher.spoolFolder() + QStringLiteral("/frame_0001.png")).isFile());
        return stitcher.spoolFolder();
    };

    ScrollStitcher ok(testConfig());
    EXPECT_FALSE(ok.spoolCreated());
    EXPECT_TRUE(QFileInfo(ok.spoolFolder()).fileName().startsWith(QStringLiteral("ScrollStitcher-")));
    const QString okFolder = twoFrames(ok);
    const auto result = ok.finish();
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    EXPECT_TRUE(samePixels(std::get<ScrollStitchOutput>(result).image, page.copy(0, 0, 64, 800)));
    EXPECT_FALSE(QFileInfo::exists(okFolder));
    EXPECT_EQ(std::get<ScrollStitchError>(ok.finish()), ScrollStitchError::noFrames());

    ScrollStitcher failing(testConfig());
    failing.setCanvasBudget(CanvasBudget{1000});
    const QString failFolder = twoFrames(failing);
    EXPECT_EQ(std::get<ScrollStitchError>(failing.finish()), ScrollStitchError::canvasFailed(64, 800));
    EXPECT_FALSE(QFileInfo::exists(failFolder));

    ScrollStitcher cancelled(testConfig());
    const QString cancelFolder = twoFrames(cancelled);
    cancelled.cancel();
    EXPECT_FALSE(QFileInfo::exists(cancelFolder));
    EXPECT_EQ(cancelled.append(page.copy(0, 300, 64, 600)), std::nullopt);
    EXPECT_EQ(cancelled.appendedCount(), 2);
    EXPECT_EQ(std::get<ScrollStitchError>(cancelled.finish()), ScrollStitchError::noFrames());

    ScrollStitcher nothing(testConfig());
    EXPECT_EQ(std::get<ScrollStitchError>(nothing.finish()), ScrollStitchError::noFrames());
    EXPECT_FALSE(QFileInfo::exists(nothing.spoolFolder()));
}

TEST(SpoolFolder, sweepRemovesLeftoversButNotFoldersInUse)
{
    const QString temp = freshDir(QStringLiteral("sweep"));
    const QString stale = temp + QStringLiteral("/ScrollStitcher-1111");
    QDir().mkpath(stale);
    QFile(stale + QStringLiteral("/frame_0000.png")).open(QIODevice::WriteOnly);
    const QString other = temp + QStringLiteral("/SomethingElse");
    QDir().mkpath(other);
    SpoolFolder live;
    ASSERT_TRUE(live.create(temp + QStringLiteral("/ScrollStitcher-2222"), true));

    EXPECT_EQ(sweepStaleSpoolFolders(temp), 1);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_TRUE(QFileInfo::exists(temp + QStringLiteral("/ScrollStitcher-2222")));
    EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);

    live.remove();
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/ScrollStitcher-2222")));
}
