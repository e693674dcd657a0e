#include "platform/RegionPicker.h"

#include "platform/QtScreenMetrics.h"
#include "platform/RegionPickerWindow.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace klipo::platform {

QRect selectionToPixels(const QRectF& selectionPt, double ratio, const QSize& imagePx)
{
    const QRectF scaled(selectionPt.x() * ratio, selectionPt.y() * ratio, selectionPt.width() * ratio,
                        selectionPt.height() * ratio);
    QRect pixels = scaled.toAlignedRect();
    if (pixels.width() < 1) pixels.setWidth(1);
    if (pixels.height() < 1) pixels.setHeight(1);
    return pixels.intersected(QRect(QPoint(0, 0), imagePx));
}

RegionPicker::RegionPicker(QList<FrozenScreen> screens, QObject* parent)
    : QObject(parent), m_screens(std::move(screens))
{
}

RegionPicker::~RegionPicker()
{
    for (const auto& window : std::as_const(m_windows)) delete window.data();
    if (m_suspendedHotKeys) hotKeyService().setSuspended(false);
}

QList<RegionPickerWindow*> RegionPicker::windows() const
{
    QList<RegionPickerWindow*> result;
    for (const auto& window : m_windows)
        if (window) result.append(window.data());
    return result;
}

void RegionPicker::start(std::function<void(CaptureOutcome)> done)
{
    m_done = std::move(done);
    const auto layoutChanged = [this] {
        finish(CaptureOutcome::failed(QStringLiteral("屏幕布局在截图时发生了变化，请重新截图")));
    };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, layoutChanged);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, layoutChanged);
    // A worker may be waiting for this pick: quitting must not leave it waiting.
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] { finish(CaptureOutcome::cancelled()); });
    QTimer::singleShot(m_timeLimit, this, [this] {
        finish(CaptureOutcome::failed(QStringLiteral("选择区域的时间过长，本次截图已自动取消")));
    });
    hotKeyService().setSuspended(true);
    m_suspendedHotKeys = true;

    RegionPickerWindow* underPointer = nullptr;
    for (int i = 0; i < m_screens.size(); ++i) {
        auto* window = new RegionPickerWindow(m_screens[i].screen, m_screens[i].imagePx);
        m_windows.append(window);
        connect(window, &RegionPickerWindow::picked, this,
                [this, i](const QRectF& selection) { onPicked(i, selection); });
        connect(window, &RegionPickerWindow::cancelled, this, [this] { finish(CaptureOutcome::cancelled()); });
        window->show();
        if (m_screens[i].screen->geometry().contains(QCursor::pos())) underPointer = window;
    }
    if (!underPointer && !m_windows.isEmpty()) underPointer = m_windows.first();
    if (underPointer) {
        // Unmanaged windows get no focus from the window manager: take the keyboard
        // so that Escape reaches us.
        underPointer->raise();
        underPointer->activateWindow();
        underPointer->grabKeyboard();
    }
    if (m_windows.isEmpty()) finish(CaptureOutcome::failed(QStringLiteral("无法读取屏幕画面：没有可用的显示器")));
}

void RegionPicker::onPicked(int screen, const QRectF& selection)
{
    const FrozenScreen& frozen = m_screens.at(screen);
    const double ratio = frozen.screen->devicePixelRatio();
    QImage picture = frozen.imagePx;
    if (!selection.isEmpty()) {
        const QRect pixels = selectionToPixels(selection, ratio, picture.size());
        picture = picture.copy(pixels);
    }
    picture.setDevicePixelRatio(1.0);
    finish(CaptureOutcome::success(std::move(picture), ratio, screenInfo(frozen.screen, frozen.index)));
}

void RegionPicker::finish(CaptureOutcome outcome)
{
    if (m_finished) return;
    m_finished = true;
    disconnect(qGuiApp, nullptr, this, nullptr);
    if (m_suspendedHotKeys) {
        m_suspendedHotKeys = false;
        hotKeyService().setSuspended(false);
    }
    // Take the windows off the screen before anyone sees the outcome, so that a
    // follow-up grab does not contain them.
    for (const auto& window : std::as_const(m_windows)) {
        if (!window) continue;
        window->releaseKeyboard();
        window->hide();
        window->deleteLater();
    }
    m_windows.clear();
    auto done = std::move(m_done);
    deleteLater();
    if (done) done(std::move(outcome));
}

}  // namespace klipo::platform
