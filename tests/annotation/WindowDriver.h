#pragma once

#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/window/AnnoWindow.h"
#include "annotation/window/AnnoWindowDialogs.h"
#include "annotation/window/AnnotationWindowController.h"
#include "app/CaptureHUDController.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace klipo::test {

// Answers the window's dialogs at once: the save path (empty: cancelled) and
// the colour; notes the proposed path.
struct FakeDialogs : AnnoWindowDialogs {
    QString savePath;
    QString proposedPath;
    QColor color;
    void chooseSavePath(QWidget*, const QString& proposed, std::function<void(const QString&)> done) override
    {
        proposedPath = proposed;
        done(savePath);
    }
    void chooseColor(QWidget*, const QColor&, std::function<void(const QColor&)> done) override { done(color); }
};

// A clipboard that takes images only when `takes` is true.
struct FakeClipboard : platform::Clipboard {
    bool takes = true;
    QImage held;
    bool copyImage(const QImage& image, const QByteArray&) override
    {
        if (takes) held = image;
        return takes;
    }
    void setImage(const QImage& image) override { held = image; }
    void setText(const QString&) override {}
    void setImageAndText(const QImage& image, const QString&) override { held = image; }
    QImage image() const override { return held; }
    QImage pastedImage() const override { return held; }
    QString text() const override { return {}; }
};

inline QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// Colours that differ by at most a rounding step per channel.
inline bool isNear(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Drives the shared annotation window with real widget events; positions are
// in image pixels.
class WindowTest : public SettingsTest {
protected:
    void SetUp() override
    {
        controller().setDialogs(std::unique_ptr<AnnoWindowDialogs>(dialogs = new FakeDialogs));
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        controller().setComposer(nullptr);
        if (controller().isSessionOpen()) controller().window()->close();
        controller().setDialogs(nullptr);
        SettingsTest::TearDown();
    }

    static AnnotationWindowController& controller() { return AnnotationWindowController::shared(); }
    static AnnoCanvasView& canvas() { return *controller().canvas(); }

    // Opens a session; `ends` counts the completion's calls, `result` keeps its image.
    void open(const QImage& image)
    {
        controller().show(image, [this](std::optional<QImage> image) {
            ++ends;
            result = image;
        });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller().window()));
    }

    static void mouse(QEvent::Type type, QPointF imagePx)
    {
        const QPointF v = canvas().viewPoint(imagePx);
        const bool isMove = type == QEvent::MouseMove;
        QMouseEvent event(type, v, canvas().mapToGlobal(v), isMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas(), &event);
    }
    static void drag(QPointF from, QPointF to)
    {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
    static void click(QPointF at) { QTest::mouseClick(&canvas(), Qt::LeftButton, {}, canvas().viewPoint(at).toPoint()); }
    // A key as the user types it: to whatever has the focus in the window.
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : controller().window();
        QTest::keyClick(target, k, mods);
    }

    FakeDialogs* dialogs = nullptr;
    int ends = 0;
    std::optional<QImage> result;
};

}  // namespace klipo::test
