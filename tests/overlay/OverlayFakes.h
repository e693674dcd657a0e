#pragma once

#include "overlay/SelTypes.h"
#include "platform/CapturePermission.h"
#include "platform/overlay/OverlayDesktop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <functional>
#include <vector>

namespace klipo::test {

// A desktop whose freezes the test answers by hand.
class FakeOverlayDesktop : public platform::OverlayDesktop {
public:
    std::vector<std::function<void(platform::FreezeOutcome)>> pendingFreezes;
    QList<platform::DesktopWindow> windows;
    std::optional<platform::NativeWindowId> active = 77;
    QList<platform::NativeWindowId> activated;
    platform::InputGrabOutcome grab{true, {}};
    int grabs = 0;
    int releases = 0;

    void freezeScreens(bool, std::function<void(platform::FreezeOutcome)> done) override
    {
        pendingFreezes.push_back(std::move(done));
    }
    QList<platform::DesktopWindow> windowsFrontToBack() override { return windows; }
    std::optional<platform::NativeWindowId> activeWindow() override { return active; }
    void activateWindow(platform::NativeWindowId id) override { activated << id; }
    platform::InputGrabOutcome grabInput(QWindow*) override
    {
        ++grabs;
        return grab;
    }
    void releaseInput() override { ++releases; }
    qint64 ownProcessId() const override { return 4242; }

    // A still for every screen: a colour per screen with a grid of one-pixel
    // marks, so that an off-by-one crop shows.
    static platform::FreezeOutcome stills()
    {
        platform::FreezeOutcome outcome;
        const QList<QScreen*> screens = QGuiApplication::screens();
        for (int i = 0; i < screens.size(); ++i) {
            const QSize px = screens[i]->geometry().size() * screens[i]->devicePixelRatio();
            outcome.screens.append({screens[i], i + 1, pattern(px, i)});
        }
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

class FakeOutputs : public SelOutputs {
public:
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

class GrantedPermission : public platform::CapturePermission {
public:
    bool canCapture() const override { return true; }
    bool request() override { return true; }
    QString reason() const override { return {}; }
};

}  // namespace klipo::test
