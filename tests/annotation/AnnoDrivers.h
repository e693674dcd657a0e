#pragma once

#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/window/AnnoWindow.h"
#include "annotation/window/AnnoWindowDialogs.h"
#include "annotation/window/AnnotationWindowController.h"
#include "app/CaptureHUDController.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace klipo::test {

inline QImage whiteImage(int w, int h, QColor color = Qt::white)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// A left-button press, move or release at a view point, as the widget gets it.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::KeyboardModifiers mods = {})
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
    QApplication::sendEvent(widget, &event);
}

// A window-mode canvas of 900 × 540 points over a 300 × 200 image: the image
// shows at scale 1 in (300, 170, 300, 200), so image pixel (x, y) is view
// point (300 + x, 170 + y). Input goes through real widget events; every
// callback is written to `log`.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(900, 540);
        canvas.onStateChanged = [this] { log << "state"; };
        canvas.onSelectionChanged = [this](const std::optional<AnnoItem>& item) { log << (item ? "selected" : "deselected"); };
        canvas.onToolAutoChanged = [this](AnnoTool tool) { log << "tool:" + AnnoTools::rawValue(tool); };
        canvas.onCancelRequested = [this] { log << "cancel"; };
        canvas.setUptimeSource([this] { return clock; });
        canvas.show();
        canvas.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&canvas));
        canvas.load(whiteImage(300, 200));
        log.clear();
    }

    static QPointF view(QPointF imagePx) { return imagePx + QPointF(300, 170); }
    void press(QPointF p, Qt::KeyboardModifiers mods = {}) { sendMouse(&canvas, QEvent::MouseButtonPress, view(p), mods); }
    void dragTo(QPointF p, Qt::KeyboardModifiers mods = {}) { sendMouse(&canvas, QEvent::MouseMove, view(p), mods); }
    void release(QPointF p) { sendMouse(&canvas, QEvent::MouseButtonRelease, view(p)); }
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = {})
    {
        press(from, mods);
        dragTo(to, mods);
        release(to);
    }
    // A click as QTest sends it (whole view points).
    void click(QPointF p) { QTest::mouseClick(&canvas, Qt::LeftButton, {}, view(p).toPoint()); }
    void doubleClick(QPointF p)
    {
        click(p);
        QTest::mouseDClick(&canvas, Qt::LeftButton, {}, view(p).toPoint());
    }
    void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &canvas, k); }
    AnnoItem draw(AnnoTool tool, QPointF from, QPointF to)
    {
        canvas.setTool(tool);
        drag(from, to);
        return canvas.items().last();
    }
    QLineEdit* startTyping(QPointF at)
    {
        canvas.setTool(AnnoTool::text);
        click(at);
        return canvas.editor();
    }

    AnnoCanvasView canvas;
    QStringList log;
    double clock = 100;
};

// Answers the window's dialogs at once: the save path (empty: cancelled) and
// the colour; notes the proposed path.
struct FakeDialogs : AnnoWindowDialogs {
    QString savePath, proposedPath;
    QColor color;
    void chooseSavePath(QWidget*, const QString& proposed, std::function<void(const QString&)> done) override
    {
        proposedPath = proposed;
        done(savePath);
    }
    void chooseColor(QWidget*, const QColor&, std::function<void(const QColor&)> done) override { done(color); }
};

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
        controller().show(image, [this](std::optional<QImage> image) { ++ends, result = image; });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller().window()));
    }
    static void drag(QPointF from, QPointF to)
    {
        sendMouse(&canvas(), QEvent::MouseButtonPress, canvas().viewPoint(from));
        sendMouse(&canvas(), QEvent::MouseMove, canvas().viewPoint(to));
        sendMouse(&canvas(), QEvent::MouseButtonRelease, canvas().viewPoint(to));
    }
    static void click(QPointF at) { QTest::mouseClick(&canvas(), Qt::LeftButton, {}, canvas().viewPoint(at).toPoint()); }
    // A key as the user types it: to whatever has the focus in the window.
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : controller().window(), k, mods);
    }

    FakeDialogs* dialogs = nullptr;
    int ends = 0;
    std::optional<QImage> result;
};

}  // namespace klipo::test
