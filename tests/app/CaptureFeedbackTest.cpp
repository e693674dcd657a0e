#include "AppFakes.h"
#include "SettingsFixture.h"
#include "app/PrefsCaptureFeedback.h"
#include "platform/PlatformServices.h"

using namespace klipo;

namespace {

class CaptureFeedbackTest : public test::SettingsTest {
protected:
    test::FakeNotifier notifier;
    test::FakeSoundPlayer sounds;
    test::FakeFileViewer files;
    platform::ScopedServices scope{platform::PlatformServices{nullptr, nullptr, nullptr, &notifier, &sounds, &files}};
};

TEST_F(CaptureFeedbackTest, nothingHappens_WithDefaultSettings)
{
    PrefsCaptureFeedback::finishCapture(QStringLiteral("/tmp/a.png"));
    EXPECT_TRUE(sounds.played.isEmpty());
    EXPECT_TRUE(notifier.posts.isEmpty());
    EXPECT_TRUE(files.revealed.isEmpty());
    EXPECT_TRUE(files.opened.isEmpty());
}

TEST_F(CaptureFeedbackTest, copiedCapture_NotifiesWithoutBody_AndRunsNoAfterAction)
{
    set("captureShowNotification", true);
    set("captureAfterAction", QStringLiteral("revealInFinder"));
    PrefsCaptureFeedback::finishCapture(std::nullopt);
    ASSERT_EQ(notifier.posts.size(), 1);
    EXPECT_EQ(notifier.posts[0].first, QStringLiteral("截图已复制到剪贴板"));
    EXPECT_EQ(notifier.posts[0].second, "");
    EXPECT_TRUE(files.revealed.isEmpty());
}

TEST_F(CaptureFeedbackTest, savedCapture_NotifiesFileName_AndRunsTheChosenAction)
{
    set("captureShowNotification", true);
    set("captureSoundEnabled", true);
    set("captureSoundName", QStringLiteral("Glass"));
    set("captureAfterAction", QStringLiteral("revealInFinder"));
    const QString path = QStringLiteral("/tmp/截图 1.png");
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(sounds.played, QStringList{"Glass"});
    ASSERT_EQ(notifier.posts.size(), 1);
    EXPECT_EQ(notifier.posts[0].first, QStringLiteral("截图已保存"));
    EXPECT_EQ(notifier.posts[0].second, QStringLiteral("截图 1.png"));
    EXPECT_EQ(files.revealed, QStringList{path});

    set("captureAfterAction", QStringLiteral("openInPreview"));
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(files.opened, QStringList{path});
    EXPECT_EQ(files.revealed.size(), 1);
}

}  // namespace
