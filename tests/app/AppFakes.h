#pragma once

#include "app/CaptureHUDController.h"
#include "platform/DesktopNotifier.h"
#include "platform/ScreenMetrics.h"
#include "platform/ScreenshotTool.h"

#include <QTimer>

#include <functional>
#include <utility>

namespace klipo::test {

inline platform::ScreenInfo screen(const QString& name, int index, const QRect& geometry, double dpr,
                                   QRect available = {})
{
    platform::ScreenInfo s;
    s.name = name;
    s.index = index;
    s.geometry = geometry;
    s.availableGeometry = available.isNull() ? geometry : available;
    s.devicePixelRatio = dpr;
    return s;
}

class FakeScreenMetrics : public platform::ScreenMetrics {
public:
    QList<platform::ScreenInfo> list;
    QPoint pointer;

    QList<platform::ScreenInfo> screens() const override { return list; }
    std::optional<platform::ScreenInfo> primaryScreen() const override
    {
        return list.isEmpty() ? std::nullopt : std::optional(list.first());
    }
    QPoint pointerPosition() const override { return pointer; }
};

// Answers each capture with `reply` (a failure when unset), asynchronously as
// the real tool does, and notes what it was asked and whether the toast was
// on screen at that moment.
class FakeScreenshotTool : public platform::ScreenshotTool {
public:
    std::function<platform::CaptureOutcome(const platform::CaptureOptions&)> reply;
    QList<platform::CaptureOptions> calls;
    QList<bool> toastShowingAtCapture;
    // A capture that never ends: kept unanswered, or dropped unanswered.
    std::function<void(platform::CaptureOutcome)> held;
    bool holdReplies = false;
    bool dropReplies = false;

    void capture(const platform::CaptureOptions& options, std::function<void(platform::CaptureOutcome)> done) override
    {
        calls.append(options);
        toastShowingAtCapture.append(CaptureHUDController::shared().isShowingToast());
        if (dropReplies) return;
        if (holdReplies) {
            held = std::move(done);
            return;
        }
        platform::CaptureOutcome outcome =
            reply ? reply(options) : platform::CaptureOutcome::failed(QStringLiteral("没有答复"));
        QTimer::singleShot(0, [done = std::move(done), outcome] { done(outcome); });
    }
};

struct FakeNotifier : platform::DesktopNotifier {
    QList<std::pair<QString, QString>> posts;
    void post(const QString& title, const QString& body) override { posts.append({title, body}); }
};

struct FakeSoundPlayer : platform::SoundPlayer {
    QStringList played;
    bool play(const QString& name) override
    {
        played.append(name);
        return true;
    }
};

struct FakeFileViewer : platform::FileViewer {
    QStringList revealed;
    QStringList opened;
    QString failure;  // when set, no program can open a file: this is why
    void reveal(const QString& path) override { revealed.append(path); }
    void open(const QString& path) override { opened.append(path); }
    void openOrExplain(const QString& path, std::function<void(const QString&)> failed) override
    {
        opened.append(path);
        if (!failure.isEmpty()) failed(failure);
    }
};

}  // namespace klipo::test
