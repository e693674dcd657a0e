#include "StitchTestSupport.h"
#include "scroll/SpoolFolder.h"
#include "scroll/StitchCanvas.h"
#include "support/AlertLog.h"
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
    bool read(int keptIndex, int width, int /*firstRow*/, int rowCount, uchar* dest, qsizetype destStride) override
    {
        rowsRead[keptIndex] = rowCount;
        if (!colours.count(keptIndex)) return false;
        for (int y = 0; y < rowCount; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(dest + y * destStride), width, colours[keptIndex]);
        return true;
    }
    void removeAll() override {}
    bool created() const override { return false; }
    QString folder() const override { return {}; }
};

std::vector<ScrollFramePlacement> placementsAt(std::initializer_list<int> ys)
{
    std::vector<ScrollFramePlacement> out;
    for (int y : ys) out.push_back({int(out.size()), y, 0, ScrollSeamConfidence::exact, 0});
    return out;
}

const CanvasBudget plenty{int64_t(64) << 30};

}  // namespace

TEST(StitchCanvas, laterFrameCoversTheOverlap_HiddenRowsAreNotDecoded_AndAFailedReadFails)
{
    ColourSpool spool;
    spool.colours = {{0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}, {2, qRgb(0, 0, 255)}};
    const auto result = composeCanvas(placementsAt({0, 100, 250}), 8, 600, false, spool, plenty);
    ASSERT_TRUE(std::holds_alternative<ScrollStitchOutput>(result));
    const QImage& image = std::get<ScrollStitchOutput>(result).image;
    EXPECT_EQ(image.height(), 850);
    for (auto [row, colour] : {std::pair{99, qRgb(255, 0, 0)}, {100, qRgb(0, 255, 0)}, {249, qRgb(0, 255, 0)},
                               {250, qRgb(0, 0, 255)}, {849, qRgb(0, 0, 255)}})
        EXPECT_EQ(image.pixel(3, row), colour) << row;
    EXPECT_EQ(spool.rowsRead, (std::map<int, int>{{0, 100}, {1, 150}, {2, 600}}));

    auto broken = placementsAt({0, 100, 250});
    broken[1].frameIndex = 7;
    spool.colours.erase(1);
    EXPECT_EQ(std::get<ScrollStitchError>(composeCanvas(broken, 8, 600, false, spool, plenty)),
              ScrollStitchError::frameProcessFailed(7));
}

TEST(StitchCanvas, refusesCanvasesOverTheRowOrByteLimitBeforeAllocating)
{
    ColourSpool spool;
    spool.colours = {{0, qRgb(1, 2, 3)}, {1, qRgb(4, 5, 6)}};
    auto fits = [&](int width, int height, const CanvasBudget& budget) {
        const auto result = composeCanvas(placementsAt({0, height - 600}), width, 600, false, spool, budget);
        if (auto* error = std::get_if<ScrollStitchError>(&result)) {
            EXPECT_EQ(*error, ScrollStitchError::canvasFailed(width, height));
        }
        return std::holds_alternative<ScrollStitchOutput>(result);
    };
    EXPECT_TRUE(fits(2, 300000, plenty));
    EXPECT_FALSE(fits(2, 300001, plenty));
    // Half of 4 MiB available: 2 MiB, 5242 rows of 100 pixels.
    const CanvasBudget tight{int64_t(4) << 20};
    EXPECT_TRUE(fits(100, 5242, tight));
    EXPECT_FALSE(fits(100, 5243, tight));
    // Never more than 1 GiB, however much memory there is.
    EXPECT_EQ(plenty.maxHeight(3840), (int64_t(1) << 30) / (3840 * 4));
}

TEST(PngSpool, storesFramesLosslesslyInEveryLayout_AndRefusesCutOffFiles)
{
    const QString dir = freshDir(QStringLiteral("png"));
    QImage rgb(37, 20, QImage::Format_RGB32), argb(37, 20, QImage::Format_ARGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 37; ++x) {
            rgb.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xff));
            argb.setPixel(x, y, qRgba(x * 7, y * 11, 200, (x + y) * 5));
        }
    const QString path = dir + QStringLiteral("/f.png");
    for (const QImage& image : {rgb, argb, noiseFrame(37, 20, 6)}) {
        const PreparedFrame frame = prepareFrame(image);
        ASSERT_TRUE(writePng(path, frame.all()));
        QImage back(37, 20, frame.kind == PixelKind::argb32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        ASSERT_TRUE(readPngRows(path, 37, 20, back.bits(), back.bytesPerLine()));
        EXPECT_TRUE(samePixels(back, image)) << int(frame.kind);
        EXPECT_FALSE(readPngRows(path, 38, 1, back.bits(), back.bytesPerLine()));
    }
    EXPECT_FALSE(writePng(dir + QStringLiteral("/missing/f.png"), prepareFrame(rgb).all()));

    // A cut-off file is refused, not read past its end.
    QFile(path).resize(QFileInfo(path).size() / 2);
    QImage back(37, 20, QImage::Format_RGB32);
    EXPECT_FALSE(readPngRows(path, 37, 20, back.bits(), back.bytesPerLine()));
}

TEST(ScrollStitcher, removesItsSpoolFolderAfterSuccessFailureAndCancel)
{
    const QImage page = noiseFrame(64, 900, 9);
    enum Ending { image, tooBig, cancelled };
    for (Ending ending : {image, tooBig, cancelled}) {
        ScrollStitcher stitcher(testConfig());
        if (ending == tooBig) stitcher.setCanvasBudget(CanvasBudget{1000});
        stitcher.append(page.copy(0, 0, 64, 600));
        stitcher.append(page.copy(0, 200, 64, 600));
        const QString folder = stitcher.spoolFolder();
        EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/frame_0001.png")).isFile());
        if (ending == cancelled) {
            stitcher.cancel();
            EXPECT_FALSE(QFileInfo::exists(folder));
            stitcher.append(page.copy(0, 300, 64, 600));  // ignored
        }
        const auto result = stitcher.finish();
        EXPECT_FALSE(QFileInfo::exists(folder)) << ending;
        if (ending == image) {
            EXPECT_TRUE(samePixels(std::get<ScrollStitchOutput>(result).image, page.copy(0, 0, 64, 800)));
        } else {
            EXPECT_EQ(std::get<ScrollStitchError>(result),
                      ending == tooBig ? ScrollStitchError::canvasFailed(64, 800) : ScrollStitchError::noFrames());
        }
    }
}

TEST(SpoolFolder, sweepRemovesLeftoversButNotFoldersInUse)
{
    const QString temp = freshDir(QStringLiteral("sweep"));
    const QString stale = temp + QStringLiteral("/ScrollStitcher-1111");
    const QString other = temp + QStringLiteral("/SomethingElse");
    QDir().mkpath(stale);
    QDir().mkpath(other);
    QFile(stale + QStringLiteral("/frame_0000.png")).open(QIODevice::WriteOnly);
    SpoolFolder live;
    ASSERT_TRUE(live.create(temp + QStringLiteral("/ScrollStitcher-2222"), true));

    EXPECT_EQ(sweepStaleSpoolFolders(temp), 1);
    EXPECT_EQ(QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"ScrollStitcher-2222", "SomethingElse"}));
    live.remove();
    EXPECT_FALSE(QFileInfo::exists(temp + QStringLiteral("/ScrollStitcher-2222")));
}

// A scrolling capture cut off by a kill left its frames behind: the sweep at
// the next start says how many were lost, and says nothing when none were.
TEST(SpoolFolder, sweepTellsOfTheFramesOfACaptureCutOff)
{
    const QString temp = freshDir(QStringLiteral("sweep"));
    klipo::test::AlertLog alerts;
    const qsizetype earlier = alerts.texts().size();  // told of by sweeps before this test
    QDir().mkpath(temp + QStringLiteral("/ScrollStitcher-EMPTY"));
    QDir().mkpath(temp + QStringLiteral("/.ScrollStitcher-UNLOCKED"));
    EXPECT_EQ(sweepStaleSpoolFolders(temp), 2);
    EXPECT_EQ(alerts.texts().size(), earlier);

    const QString killed = temp + QStringLiteral("/ScrollStitcher-KILLED");
    QDir().mkpath(killed);
    for (int i = 0; i < 23; ++i)
        QFile(killed + QStringLiteral("/frame_%1.png").arg(i, 4, 10, QLatin1Char('0'))).open(QIODevice::WriteOnly);
    EXPECT_EQ(sweepStaleSpoolFolders(temp), 1);
    EXPECT_TRUE(alerts.waitFor(QStringLiteral("23 帧")));
    EXPECT_TRUE(alerts.texts().join('\n').contains(QStringLiteral("滚动长截图没有完成")));
}
