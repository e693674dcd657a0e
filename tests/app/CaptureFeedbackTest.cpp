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

TEST_F(CaptureFeedbackTest, defaultsDoNothing_ACopyIsNotifiedWithoutBody_ASavedFileByNameWithTheChosenAction)
{
    PrefsCaptureFeedback::finishCapture(QStringLiteral("/tmp/a.png"));
    EXPECT_TRUE(sounds.played.isEmpty() && notifier.posts.isEmpty() && files.revealed.isEmpty() && files.opened.isEmpty());

    set("captureShowNotification", true);
    set("captureAfterAction", QStringLiteral("revealInFinder"));
    PrefsCaptureFeedback::finishCapture(std::nullopt);
    EXPECT_EQ(notifier.posts.value(0), qMakePair(QStringLiteral("截图已复制到剪贴板"), QString()));
    EXPECT_TRUE(files.revealed.isEmpty());

    set("captureSoundEnabled", true);
    set("captureSoundName", QStringLiteral("Glass"));
    const QString path = QStringLiteral("/tmp/截图 1.png");
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(sounds.played, QStringList{"Glass"});
    EXPECT_EQ(notifier.posts.value(1), qMakePair(QStringLiteral("截图已保存"), QStringLiteral("截图 1.png")));
    EXPECT_EQ(files.revealed, QStringList{path});
    set("captureAfterAction", QStringLiteral("openInPreview"));
    PrefsCaptureFeedback::finishCapture(path);
    EXPECT_EQ(files.opened, QStringList{path});
    EXPECT_EQ(files.revealed.size(), 1);
}

}  // namespace
