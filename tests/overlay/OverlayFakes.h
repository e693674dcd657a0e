#pragma once

#include "overlay/SelEditingChrome.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelTypes.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "platform/overlay/OverlayDesktop.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <functional>
#include <vector>

namespace klipo::test {

// A desktop whose freezes the test answers by hand.
struct FakeOverlayDesktop : platform::OverlayDesktop {
    std::vector<std::function<void(platform::FreezeOutcome)>> pendingFreezes;
    QList<platform::NativeWindowId> activated;
    std::optional<platform::NativeWindowId> active = 77;
    QList<platform::NativeWindowId> ownWindows;
    platform::InputGrabOutcome grab{true, {}};
    int releases = 0;

    void freezeScreens(bool, std::function<void(platform::FreezeOutcome)> done) override
    {
        pendingFreezes.push_back(std::move(done));
    }
    QList<platform::DesktopWindow> windowsFrontToBack() override { return {}; }
    std::optional<platform::NativeWindowId> activeWindow() override { return active; }
    bool isOwnWindow(platform::NativeWindowId id) override { return ownWindows.contains(id); }
    void activateWindow(platform::NativeWindowId id) override { activated << id; }
    platform::InputGrabOutcome grabInput(QWindow*) override { return grab; }
    void releaseInput() override { ++releases; }
    qint64 ownProcessId() const override { return 4242; }

    // A still for every screen: a colour per screen with a grid of one-pixel
    // marks, so that an off-by-one crop shows.
    static platform::FreezeOutcome stills()
    {
        platform::FreezeOutcome outcome;
        const QList<QScreen*> screens = QGuiApplication::screens();
        for (int i = 0; i < screens.size(); ++i)
            outcome.screens.append({screens[i], i + 1, pattern(screens[i]->geometry().size() * screens[i]->devicePixelRatio(), i)});
        return outcome;
    }
    static QImage pattern(const QSize& px, int seed)
    {
        QImage image(px, QImage::Format_RGB32);
        for (int y = 0; y < px.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < px.width(); ++x) line[x] = qRgb((x * 7 + seed * 50) & 255, (y * 5) & 255, (x ^ y) & 255);
        }
        return image;
    }

    // Answers the oldest outstanding freeze.
    void answer(const platform::FreezeOutcome& outcome)
    {
        if (pendingFreezes.empty()) return;
        auto done = std::move(pendingFreezes.front());
        pendingFreezes.erase(pendingFreezes.begin());
        done(outcome);
    }
};

struct FakeOutputs : SelOutputs {
    QList<QImage> copies, saves, pins, records;
    QList<bool> saveHistoryFlags;
    bool copySucceeds = true;

    bool copyImage(const QImage& image) override
    {
        copies << image;
        return copySucceeds;
    }
    void saveImage(const QImage& image, bool addHistory) override
    {
        saves << image;
        saveHistoryFlags << addHistory;
    }
    void pinImage(const QImage& image) override { pins << image; }
    void recordCopy(const QImage& image) override { records << image; }
};

struct GrantedPermission : platform::CapturePermission {
    bool canCapture() const override { return true; }
    bool request() override { return true; }
    QString reason() const override { return {}; }
};

// The shared overlay controller's road with the fakes above; settings set
// through `setSetting` are removed after the test.
class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override { controller.setOutputs(&outputs); }
    void TearDown() override
    {
        controller.cancel();
        for (const QString& key : std::as_const(settings)) platform::SettingsStore::shared().remove(key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Begins and shows the windows.
    void open(SelRequest request = {})
    {
        controller.begin(std::move(request));
        desktop.answer(FakeOverlayDesktop::stills());
        ASSERT_EQ(controller.windows().size(), 2);
    }
    SelOverlayView* view(int screen)
    {
        const auto windows = controller.windows();
        return screen < windows.size() ? windows[screen]->overlayView() : nullptr;
    }
    // The toast shown inside the overlay window of the screen.
    QString toast(int screen = 0)
    {
        QWidget* card = view(screen) ? view(screen)->chrome()->toast() : nullptr;
        QLabel* label = card ? card->findChild<QLabel*>() : nullptr;
        return label ? label->text() : QString();
    }
    void setSetting(const QString& key, const QJsonValue& value)
    {
        platform::SettingsStore::shared().setValue(key, value);
        settings << key;
    }

    QStringList settings;
    GrantedPermission permission;
    platform::ScopedServices services{platform::PlatformServices{.permission = &permission}};
    FakeOverlayDesktop desktop;
    FakeOutputs outputs;
    SelOverlayController controller{desktop};
};

}  // namespace klipo::test
