#pragma once

#include "annotation/canvas/AnnoCanvasView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

namespace klipo::test {

// A window-mode canvas of 900 × 540 points over a 300 × 200 image: the image
// shows at scale 1 in (300, 170, 300, 200), so image pixel (x, y) is view
// point (300 + x, 170 + y). Input goes through real widget events; every
// callback is written to `log`.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas.resize(900, 540);
        canvas.onStateChanged = [this] { log << QStringLiteral("state"); };
        canvas.onSelectionChanged = [this](const std::optional<AnnoItem>& item) {
            log << (item ? QStringLiteral("selected") : QStringLiteral("deselected"));
        };
        canvas.onToolAutoChanged = [this](AnnoTool tool) { log << QStringLiteral("tool:") + AnnoTools::rawValue(tool); };
        canvas.onCancelRequested = [this] { log << QStringLiteral("cancel"); };
        canvas.setUptimeSource([this] { return clock; });
        canvas.show();
        canvas.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&canvas));
        canvas.load(image(300, 200));
        log.clear();
    }

    static QImage image(int w, int h, QColor color = Qt::white)
    {
        QImage i(w, h, QImage::Format_ARGB32_Premultiplied);
        i.fill(color);
        return i;
    }

    static QPointF view(QPointF imagePx) { return imagePx + QPointF(300, 170); }

    void mouse(QEvent::Type type, QPointF imagePx, Qt::KeyboardModifiers mods = {})
    {
        const QPointF v = view(imagePx);
        const bool isMove = type == QEvent::MouseMove;
        QMouseEvent event(type, v, canvas.mapToGlobal(v), isMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
        QApplication::sendEvent(&canvas, &event);
    }
    void press(QPointF p, Qt::KeyboardModifiers mods = {}) { mouse(QEvent::MouseButtonPress, p, mods); }
    void dragTo(QPointF p, Qt::KeyboardModifiers mods = {}) { mouse(QEvent::MouseMove, p, mods); }
    void release(QPointF p) { mouse(QEvent::MouseButtonRelease, p); }
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

    AnnoCanvasView canvas;
    QStringList log;
    double clock = 100;
};

}  // namespace klipo::test
