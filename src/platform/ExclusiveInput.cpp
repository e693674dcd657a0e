#include "platform/ExclusiveInput.h"

#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"

#include <QGuiApplication>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <functional>

namespace klipo::platform {

namespace {

bool displayHasGrabs() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// A grab can fail for a moment (the window not yet viewable, another program
// finishing its own grab): a few tries over about a tenth of a second.
bool grabWithRetries(const std::function<bool()>& grab)
{
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (grab()) return true;
        QThread::msleep(20);
    }
    return false;
}

}  // namespace

ExclusiveInput::ExclusiveInput(QObject* parent) : QObject(parent) {}

ExclusiveInput::~ExclusiveInput() { release(); }

QString ExclusiveInput::take(QWidget* keyWindow, const QList<QWidget*>& ours, bool pointerToo)
{
    release();
    if (!keyWindow) return QStringLiteral("没有可用的窗口");
    m_keyWindow = keyWindow;
    for (QWidget* w : ours) m_ours.append(w);
    keyWindow->raise();
    keyWindow->activateWindow();
    QWindow* handle = keyWindow->windowHandle();
    if (displayHasGrabs() && handle) {
        if (!grabWithRetries([handle] { return handle->setKeyboardGrabEnabled(true); })) {
            m_ours.clear();
            return QStringLiteral("另一个程序正占用着键盘，请稍后再试");
        }
        if (pointerToo && !grabWithRetries([handle] { return handle->setMouseGrabEnabled(true); })) {
            handle->setKeyboardGrabEnabled(false);
            m_ours.clear();
            return QStringLiteral("另一个程序正占用着鼠标，请稍后再试");
        }
    }
    m_pointer = pointerToo;
    m_held = true;
    m_hadFocus = false;
    hotKeyService().setSuspended(true);
    m_suspendedHotKeys = true;
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &ExclusiveInput::focusChanged);
    focusChanged(QGuiApplication::focusWindow());
    return {};
}

void ExclusiveInput::release()
{
    if (!m_held) return;
    m_held = false;
    disconnect(qGuiApp, nullptr, this, nullptr);
    if (m_keyWindow && displayHasGrabs()) {
        if (QWindow* handle = m_keyWindow->windowHandle()) {
            handle->setKeyboardGrabEnabled(false);
            if (m_pointer) handle->setMouseGrabEnabled(false);
        }
    }
    m_keyWindow.clear();
    m_ours.clear();
    if (m_suspendedHotKeys) {
        m_suspendedHotKeys = false;
        hotKeyService().setSuspended(false);
    }
}

void ExclusiveInput::focusChanged(QWindow* focus)
{
    if (!m_held) return;
    bool isOurs = false;
    for (const auto& w : std::as_const(m_ours))
        if (w && focus && w->windowHandle() == focus) isOurs = true;
    if (isOurs) {
        m_hadFocus = true;
        return;
    }
    // Before our window first had the focus, a change elsewhere is only the
    // old focus leaving.
    if (!m_hadFocus) return;
    Q_EMIT lost();
}

}  // namespace klipo::platform
