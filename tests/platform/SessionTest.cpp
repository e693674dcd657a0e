#include "platform/CanberraSoundPlayer.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenshotTool.h"
#include "platform/Session.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTest>

#include <optional>

namespace {

// Runs `body` with some environment variables changed (null = unset), then puts them back.
template <typename Body>
void withEnv(std::initializer_list<std::pair<const char*, const char*>> changes, Body body)
{
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved;
    for (const auto& [name, value] : changes) {
        saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        value ? qputenv(name, value) : qunsetenv(name);
    }
    body();
    for (const auto& [name, value] : saved) value ? qputenv(name, *value) : qunsetenv(name);
}

}  // namespace

TEST(Session, hasDisplay_IsFalse_WithoutAnyDisplayOrWithADeadX11Display)
{
    using klipo::platform::hasDisplay;
    withEnv({{"QT_QPA_PLATFORM", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", nullptr}}, [] {
        EXPECT_FALSE(hasDisplay());
        EXPECT_FALSE(klipo::platform::checkDisplayOrExplain());
    });
    withEnv({{"QT_QPA_PLATFORM", nullptr}, {"WAYLAND_DISPLAY", nullptr}, {"DISPLAY", ":4711"}},
            [] { EXPECT_FALSE(hasDisplay()); });  // nobody serves this display
    withEnv({{"QT_QPA_PLATFORM", "offscreen:configfile=/nowhere.json"}, {"DISPLAY", nullptr}},
            [] { EXPECT_TRUE(hasDisplay()); });
}

TEST(Session, offX11_EveryScreenshotFailsWithTheX11Reason_AfterCaptureReturns)
{
    ASSERT_FALSE(klipo::platform::isX11Session());
    auto& services = klipo::platform::services();
    EXPECT_FALSE(services.permission->canCapture());
    EXPECT_FALSE(services.permission->request());
    EXPECT_TRUE(services.permission->reason().contains("X11"));

    std::optional<klipo::platform::CaptureOutcome> outcome;
    services.screenshots->capture({}, [&](klipo::platform::CaptureOutcome o) { outcome = std::move(o); });
    EXPECT_FALSE(outcome.has_value()) << "the outcome must not arrive inside capture()";
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome->status, klipo::platform::CaptureOutcome::Status::Failed);
    EXPECT_TRUE(outcome->error.contains("X11"));
}

TEST(Sounds, everyProgramSoundNameHasASoundInTheFreedesktopTheme_AndWithoutASoundServerNothingPlays)
{
    for (const char* name : {"Tink", "Pop", "Glass", "Ping", "Purr", "Bottle", "Hero", "Morse", "Frog", "Funk",
                             "Blow", "Basso", "Sosumi", "Submarine"}) {
        const QString id = klipo::platform::soundThemeEventId(QString::fromLatin1(name));
        EXPECT_TRUE(QFileInfo::exists("/usr/share/sounds/freedesktop/stereo/" + id + ".oga"))
            << name << " -> " << id.toStdString();
    }
    withEnv({{"PULSE_SERVER", "unix:/nonexistent/klipo-no-sound-server"}}, [] {
        klipo::platform::CanberraSoundPlayer player;
        EXPECT_FALSE(player.play("tink"));
        EXPECT_FALSE(player.play("Tink"));
    });
}
