#pragma once

#include "TestPages.h"
#include "platform/WheelScroller.h"
#include "scroll/ScrollCaptureEnvironment.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace klipo::test {

// A scrolling capture's surroundings in memory: a page that the fake wheel
// moves `perNotch` rows per notch and the fake screen shows `rows` of at a
// time, a pick answered by the test, and logs of what the user would see.
class FakeScrollEnvironment : public ScrollCaptureEnvironment {
public:
    PageSpec page{PageKind::text, 400, 3};
    int pageHeight = 1500;
    int offset = 0;
    int perNotch = 100;
    int shownRows = 300;  // set by the frame source

    bool recording = false;
    std::optional<QString> conflict;
    bool overlay = false;
    int cropTop = 0;
    bool wheel = true;
    int canvasCap = 300000;  // rows the memory allows

    std::function<void(std::optional<ScrollTarget>)> pendingPick;
    int picks = 0;
    int pickCloses = 0;
    QStringList toasts;  // "title / subtitle"
    QList<QImage> delivered;
    QStringList notes;
    QList<QImage> savedAtQuit;
    QStringList notices;

    bool recordingBusy() override { return recording; }
    std::optional<QString> shortcutConflict() override { return conflict; }
    bool overlayActive() override { return overlay; }
    void beginPick(const QString&, std::function<void(std::optional<ScrollTarget>)> done) override
    {
        ++picks;
        pendingPick = std::move(done);
    }
    void closePick() override
    {
        ++pickCloses;
        if (auto done = std::exchange(pendingPick, nullptr)) done(std::nullopt);
    }
    std::optional<platform::NativeWindowId> activeWindow() override { return 7; }
    void activateWindow(platform::NativeWindowId) override {}
    int storedCropTop() override { return cropTop; }

    std::unique_ptr<ScrollFrameSource> openFrameSource(const QRect& rectPx, QString*) override
    {
        shownRows = rectPx.height();
        return std::make_unique<Screen>(*this, rectPx.height());
    }
    std::unique_ptr<platform::WheelScroller> openScroller() override
    {
        return wheel ? std::make_unique<Wheel>(*this) : nullptr;
    }
    int maxCanvasHeight(int) override { return canvasCap; }
    bool moveOwnWindowsOut(const QRectF&) override { return false; }
    void toast(const QString& title, const QString& subtitle) override { toasts << title + " / " + subtitle; }
    void deliver(const QImage& image, const QString& noteSuffix) override
    {
        delivered << image;
        notes << noteSuffix;
    }
    ScrollDelivery::Saved saveNow(const QImage& image) override
    {
        savedAtQuit << image;
        return {QStringLiteral("/captures/长截图.png"), false, {}};
    }
    void notify(const QString& title, const QString& body) override { notices << title + " / " + body; }

    // Rows [from, from + count) of the page.
    QImage pageRows(int from, int count) const { return pageFrame(page, from, count); }

private:
    struct Screen : ScrollFrameSource {
        Screen(FakeScrollEnvironment& env, int rows) : env(env), rows(rows) {}
        std::optional<QString> grab(QImage& frame) override
        {
            frame = env.pageRows(env.offset, rows);
            return std::nullopt;
        }
        FakeScrollEnvironment& env;
        int rows;
    };
    struct Wheel : platform::WheelScroller {
        explicit Wheel(FakeScrollEnvironment& env) : env(env) {}
        bool scroll(QPoint, int notches) override
        {
            env.offset = std::clamp(env.offset + notches * env.perNotch, 0, env.pageHeight - env.shownRows);
            return true;
        }
        FakeScrollEnvironment& env;
    };
};

}  // namespace klipo::test
