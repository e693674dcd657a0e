#include "app/CaptureHUDController.h"

#include "app/CaptureHUDContentView.h"
#include "platform/DesktopNotifier.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowRoles.h"
#include "platform/WindowShadow.h"
#include "platform/WindowStacking.h"

#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace klipo {

CaptureHUDController& CaptureHUDController::shared()
{
    static CaptureHUDController* controller = new CaptureHUDController();
    return *controller;
}

CaptureHUDController::CaptureHUDController()
{
    m_dismissTimer.setSingleShot(true);
    connect(&m_dismissTimer, &QTimer::timeout, this, [this] { dismiss(true); });
}

void CaptureHUDController::makePanel()
{
    // Managed by the window manager (so it stacks above normal windows) but
    // never focused: showing it must not take focus from the user's window.
    auto* panel = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                           Qt::WindowDoesNotAcceptFocus);
    // A notification on every desktop, kept out of task bars, at every showing.
    platform::applyWindowRole(panel, platform::WindowRole::notification);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_QuitOnClose, false);
    panel->setWindowTitle(QStringLiteral("KlipoVersa"));

    // The window is the card's size, plus the shadow's margin while a
    // compositor runs.
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_content = new CaptureHUDContentView(panel);
    m_content->setFixedSize(width, height);
    layout->addWidget(m_content);
    platform::giveShadow(panel, CaptureHUDContentView::cornerRadius);

    m_fade = new QPropertyAnimation(panel, "windowOpacity", this);
    connect(m_fade, &QPropertyAnimation::finished, this, [this] { fadeOutFinished(); });
    m_panel = panel;
}

void CaptureHUDController::show(const QString& title, const QString& subtitle, const QImage& thumbnail,
                                const QString& filePath, double durationSeconds)
{
    present(title, subtitle, thumbnail, filePath, durationSeconds, false);
}

void CaptureHUDController::showInFull(const QString& title, const QString& subtitle, double durationSeconds)
{
    present(title, subtitle, {}, {}, std::max(durationSeconds, readingSeconds(title + subtitle)), true);
}

double CaptureHUDController::readingSeconds(const QString& text)
{
    return std::min(15.0, 2.2 + std::max<qsizetype>(0, text.size() - 20) / 10.0);
}

void CaptureHUDController::present(const QString& title, const QString& subtitle, const QImage& thumbnail,
                                   const QString& filePath, double durationSeconds, bool inFull)
{
    if (!m_panel) makePanel();
    m_content->configure(title, subtitle, thumbnail);
    m_content->setSubtitleWraps(inFull);
    fitHeight();
    // A subtitle that took several lines (a path with its reason) is read as a message.
    if (m_content->subtitleLines(width).size() > 1)
        durationSeconds = std::max(durationSeconds, readingSeconds(title + subtitle));

    QPointer<CaptureHUDController> self(this);
    m_content->onClick = [self, filePath] {
        if (!self) return;
        if (!filePath.isEmpty())
            if (platform::FileViewer* files = platform::services().files) files->reveal(filePath);
        self->dismiss(false);
    };
    m_content->onHoverChanged = [self](bool inside) {
        if (!self) return;
        if (inside) self->m_dismissTimer.stop();
        else self->scheduleDismiss(hoverLeaveSeconds);
    };

    moveToCorner();
    m_dismissTimer.stop();

    // A fade-out still running belongs to the previous message: stop it so
    // its end cannot hide this one.
    m_fade->stop();
    m_fadingOut = false;
    m_panel->setWindowOpacity(0.0);
    m_panel->show();
    platform::raiseWithoutFocus(m_panel);
    m_fade->setDuration(fadeInMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();

    scheduleDismiss(durationSeconds);
}

void CaptureHUDController::setClickAction(std::function<void()> action)
{
    if (!m_content) return;
    QPointer<CaptureHUDController> self(this);
    m_content->onClick = [self, action = std::move(action)] {
        if (!self) return;
        self->dismiss(false);
        if (action) action();
    };
}

void CaptureHUDController::dismiss(bool animated)
{
    m_dismissTimer.stop();
    if (!m_panel || !m_panel->isVisible()) return;
    if (animated) {
        if (m_fadingOut) return;  // already on its way out
        m_fade->stop();
        m_fadingOut = true;
        m_fade->setDuration(fadeOutMs);
        m_fade->setStartValue(m_panel->windowOpacity());
        m_fade->setEndValue(0.0);
        m_fade->start();
        return;
    }
    m_fade->stop();
    m_fadingOut = false;
    m_panel->hide();
}

void CaptureHUDController::fadeOutFinished()
{
    if (!m_fadingOut) return;  // the fade-in ended
    m_fadingOut = false;
    if (m_panel) m_panel->hide();
}

bool CaptureHUDController::hideForCapture()
{
    const bool wasShowing = isShowingToast();
    dismiss(false);
    return wasShowing;
}

bool CaptureHUDController::isShowingToast() const { return m_panel && m_panel->isVisible(); }

QString CaptureHUDController::currentTitle() const { return m_content ? m_content->title() : QString(); }

QString CaptureHUDController::currentSubtitle() const { return m_content ? m_content->subtitle() : QString(); }

QPoint CaptureHUDController::cornerPosition(const QRect& availableGeometry, int panelHeight)
{
    return {availableGeometry.x() + availableGeometry.width() - width - cornerInset,
            availableGeometry.y() + availableGeometry.height() - panelHeight - cornerInset};
}

void CaptureHUDController::fitHeight()
{
    int room = 600;
    if (const platform::ScreenMetrics* screens = platform::services().screens)
        if (const std::optional<platform::ScreenInfo> screen = screens->screenUnderPointer())
            room = screen->availableGeometry.height() - 2 * cornerInset;
    const int fitted = std::clamp(int(std::ceil(m_content->heightFor(width))), height, std::max(height, room));
    if (fitted == m_content->height()) return;
    m_content->setFixedSize(width, fitted);
    m_panel->layout()->activate();
}

void CaptureHUDController::moveToCorner()
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    if (!screens || !m_panel) return;
    const std::optional<platform::ScreenInfo> screen = screens->screenUnderPointer();
    if (!screen) return;
    const int panelHeight = m_content->height();  // the card's; its shadow lies around it
    // Where it shows, with its shadow.
    const auto shownAt = [this, panelHeight](QPoint corner) {
        return platform::outerGeometry(m_panel, QRect(corner, QSize(width, panelHeight)));
    };
    const QPoint usual = cornerPosition(screen->availableGeometry, panelHeight);
    if (!m_keepOut || !shownAt(usual).intersects(*m_keepOut)) {
        platform::moveInner(m_panel, usual);
        return;
    }
    // Another corner of the same screen, then the corners of the others.
    QList<QRect> areas{screen->availableGeometry};
    for (const platform::ScreenInfo& other : screens->screens())
        if (other.availableGeometry != screen->availableGeometry) areas.append(other.availableGeometry);
    for (const QRect& area : std::as_const(areas)) {
        const int left = area.x() + cornerInset;
        const int top = area.y() + cornerInset;
        const QPoint low = cornerPosition(area, panelHeight);
        for (const QPoint& corner : {low, QPoint(low.x(), top), QPoint(left, top), QPoint(left, low.y())}) {
            if (shownAt(corner).intersects(*m_keepOut)) continue;
            platform::moveInner(m_panel, corner);
            return;
        }
    }
    platform::moveInner(m_panel, usual);  // nowhere else: better seen than lost
}

void CaptureHUDController::setKeepOut(std::optional<QRect> area)
{
    m_keepOut = area;
    if (m_keepOut && isShowingToast() && m_panel->frameGeometry().intersects(*m_keepOut)) moveToCorner();
}

void CaptureHUDController::scheduleDismiss(double seconds)
{
    m_dismissTimer.stop();
    const double ms = std::isfinite(seconds) ? std::clamp(seconds * 1000.0, 0.0, 86400000.0) : 0.0;
    m_dismissTimer.start(int(std::lround(ms)));
}

}  // namespace klipo
