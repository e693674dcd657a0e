// The recording's numbers and stored choices: picture sizes, the settings'
// fallbacks, and how sound is lined up with pictures.
#include "app/SettingsFixture.h"
#include "recording/RecAudioAligner.h"
#include "recording/RecGeometry.h"
#include "recording/RecSettings.h"

#include <gtest/gtest.h>

using namespace klipo;

namespace {

RecTarget target(QRect screen, double scale, QRectF rect) { return RecTarget{screen, scale, rect}; }

TEST(RecGeometryTest, sizes_AreRoundedAtLeastTwoAndEven_AndThePixelRectComesFromTheLowerLeft)
{
    const QRect screen(0, 0, 1920, 1080);
    EXPECT_EQ(RecGeometry::outputSize(target(screen, 1.0, QRectF(0, 0, 0.4, 0.4))), QSize(2, 2));
    EXPECT_EQ(RecGeometry::outputSize(target(screen, 1.0, QRectF(0, 0, 101.5, 50.25))), QSize(102, 50));
    EXPECT_EQ(RecGeometry::outputSize(target(screen, 1.0, QRectF(0, 0, 401, 301))), QSize(400, 300));
    EXPECT_EQ(RecGeometry::outputSize(target(screen, 1.5, QRectF(80, 80, 400, 300))), QSize(600, 450));

    // A second screen right of the first at twice the pixels: its top-left
    // corner is the same in points and pixels, the rest scales.
    EXPECT_EQ(RecGeometry::pixelRect(target(QRect(1920, 0, 640, 512), 2.0, QRectF(10, 20, 100, 50))),
              QRect(1920 + 20, (512 - 70) * 2, 200, 100));
    EXPECT_EQ(RecGeometry::pixelRect(target(screen, 1.0, QRectF(80, 80, 400, 300))), QRect(80, 700, 400, 300));
}

class RecSettingsTest : public test::SettingsTest {};

TEST_F(RecSettingsTest, storedChoices_FallBackUnlessExactlyRight)
{
    set(QStringLiteral("recFormat"), QStringLiteral("MOV"));
    set(QStringLiteral("recFPS"), 24);
    EXPECT_EQ(Settings::recFormat(), RecFormat::mp4);
    EXPECT_EQ(Settings::recFPS(), 30);

    set(QStringLiteral("recMicrophone"), false);
    Settings::storeRecOptions(RecOptions{RecFormat::mov, 60, true});
    EXPECT_EQ(Settings::recFormat(), RecFormat::mov);
    EXPECT_EQ(Settings::recFPS(), 60);
    EXPECT_TRUE(Settings::recMicrophone());
}

TEST(RecAudioAlignerTest, sound_StartsWithTheFirstPicture_AndFollowsTheClock)
{
    RecAudioAligner aligner(48000, 40);
    // Before there is a picture, all sound is left out.
    EXPECT_EQ(aligner.place(1000, 480).skip, 480);
    aligner.setOrigin(1'000'000);
    // Wholly before the first picture: left out; across it: cut at it.
    EXPECT_EQ(aligner.place(990'000, 480).skip, 480);
    auto placed = aligner.place(995'000, 480);  // 5 ms early: 240 samples too soon
    EXPECT_EQ(placed.skip, 240);
    EXPECT_EQ(aligner.position(), 240);
    // On time, give or take the tolerance: nothing changes.
    placed = aligner.place(1'005'000 + 30'000, 480);
    EXPECT_EQ(placed.skip + placed.silenceBefore, 0);
    // 100 ms of sound lost by the server: silence fills the gap.
    placed = aligner.place(1'015'000 + 100'000, 480);
    EXPECT_EQ(placed.silenceBefore, 4800);
    EXPECT_EQ(aligner.position(), 720 + 4800 + 480);
    // The sound runs 50 ms ahead of the clock: that much is left out.
    EXPECT_EQ(aligner.place(1'125'000 - 50'000, 4800).skip, 2400);
    EXPECT_NEAR(aligner.largestDriftMillis(), 100.0, 0.1);

    // Sound that starts late gets silence in front.
    RecAudioAligner late(48000);
    late.setOrigin(0);
    EXPECT_EQ(late.place(20'000, 480).silenceBefore, 960);
}

}  // namespace
