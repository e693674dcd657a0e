#include "tools/PinWindow.h"

#include "platform/OwnWindows.h"

#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/PlatformServices.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"
#include "tools/PinContentView.h"
#include "tools/PinGeometry.h"
#include "platform/FloatingWindows.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowRoles.h"
#include "platform/WindowShadow.h"
#include "platform/WindowStacking.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

#include <cmath>
#include <utility>

namespace klipo {

namespace {

QList<PinWindowController*>& pinnedList()
{
    static QList<PinWindowController*> list;
    return list;
}

int percent(double value) { return int(std::lround(value * 100)); }

QString proposedSavePath()
{
    const QString name = QStringLiteral("贴图 ") +
                         QLocale(QLocale::English).toString(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH.mm.ss")) +
                         QStringLiteral(".png");
    return Settings::saveDialogPath(name);
}

QString askSavePath(const QString& proposed)
{
    return platform::askSavePngPath(nullptr, QStringLiteral("保存图片"), proposed);
}

}  // namespace

std::function<QString(const QString&)> PinWindowController::chooseSavePath;

// --- panel ---

PinPanel::PinPanel(PinWindowController* controller)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_controller(controller)
{
    platform::applyWindowRole(this, platform::WindowRole::floating);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("贴图"));
    platform::HiddenOwnWindows::markStaysInScreenshots(this);
    // Room for its shadow around it only shows what lies behind with a
    // compositor; without one the pin stays an opaque window.
    if (platform::compositorRunning(nullptr)) setAttribute(Qt::WA_TranslucentBackground);
    platform::giveShadow(this, PinContentView::cornerRadius);
}

void PinPanel::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_controller) m_controller->windowWillClose();
}

void PinPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setGeometry(contentsRect());
}

void PinPanel::paintEvent(QPaintEvent*)
{
    if (!testAttribute(Qt::WA_TranslucentBackground)) return;  // Qt fills the window itself
    // What a transparent image shows through, as on an opaque window.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(contentsRect()), PinContentView::cornerRadius, PinContentView::cornerRadius);
    painter.fillPath(card, palette().window());
}

// --- controller ---

PinWindowController* PinWindowController::pin(const QImage& image)
{
    if (image.width() < 1 || image.height() < 1) return nullptr;
    auto* controller = new PinWindowController(image);
    pinnedList().append(controller);
    controller->present();
    return controller;
}

const QList<PinWindowController*>& PinWindowController::pinned() { return pinnedList(); }

void PinWindowController::closeAll()
{
    const QList<PinWindowController*> all = std::exchange(pinnedList(), {});
    for (PinWindowController* pin : all) pin->close();
}

QImage PinWindowController::clipboardImage()
{
    const platform::Clipboard* clipboard = platform::services().clipboard;
    return clipboard ? clipboard->pastedImage() : QImage();
}

platform::ScreenInfo PinWindowController::currentScreen()
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    if (const auto screen = screens ? screens->screenUnderPointer() : std::nullopt) return *screen;
    platform::ScreenInfo fallback;
    fallback.geometry = fallback.availableGeometry = QRect(0, 0, 1920, 1080);
    return fallback;
}

QPoint PinWindowController::initialOrigin(const QSize& size)
{
    const platform::ScreenMetrics* screens = platform::services().screens;
    const QPoint pointer = screens ? screens->pointerPosition() : QPoint();
    return PinGeometry::initialOrigin(size, pointer, currentScreen().availableGeometry, int(pinnedList().size()));
}

PinWindowController::PinWindowController(const QImage& image) : m_image(image)
{
    m_image.setDevicePixelRatio(1.0);
    // Points of the screen the pin appears on.
    m_basePointSize = PinGeometry::basePointSize(m_image.size(), currentScreen().devicePixelRatio);
    m_panel = new PinPanel(this);
    m_view = new PinContentView(m_image, m_panel);

    QPointer<PinWindowController> self(this);
    m_view->onRequestClose = [self] {
        if (self) self->close();
    };
    m_view->onRequestZoom = [self](double factor) {
        if (self) self->setScale(self->m_scale * factor, false);
    };
    m_view->onRequestMenu = [self](const QPoint& at) {
        if (!self) return;
        QMenu* menu = self->makeMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    };
    m_view->onKeyDown = [self](int key, Qt::KeyboardModifiers modifiers) {
        return self && self->handleKey(key, modifiers);
    };
    m_view->onHover = [self] {
        if (self && self->m_firstBadge.hasExpired()) self->flashScale();
    };
}

PinWindowController::~PinWindowController()
{
    pinnedList().removeAll(this);
    if (m_panel) m_panel->deleteLater();
}

double PinWindowController::minimumScale() const { return PinGeometry::minimumScale(m_basePointSize); }

void PinWindowController::present()
{
    m_scale = PinGeometry::initialScale(m_basePointSize, currentScreen().availableGeometry);
    const QSize size = PinGeometry::sizeAt(m_basePointSize, m_scale);
    platform::setInnerGeometry(m_panel, QRect(initialOrigin(size), size));
    m_panel->show();
    // Above every window, also over a full-screen program that has the focus.
    platform::raiseWithoutFocus(m_panel);
    m_view->setFocus();
    flashScale(QStringLiteral(" · 双击关闭"));
    m_firstBadge.setRemainingTime(PinContentView::badgeShowMs);
}

void PinWindowController::flashScale(const QString& suffix)
{
    m_view->flashBadge(QString::number(percent(m_scale)) + QStringLiteral("%") + suffix);
}

void PinWindowController::setScale(double scale, bool animated)
{
    scale = PinGeometry::clampScale(scale, m_basePointSize);
    if (std::abs(scale - m_scale) > 0.0005 && m_panel) {
        m_scale = scale;
        const QSize size = PinGeometry::sizeAt(m_basePointSize, scale);
        // The exact centre survives a run of zoom steps; rounding each step
        // anew would walk the pin off by half a point per step.
        const QRect now =
            m_resize && m_resize->state() == QAbstractAnimation::Running ? m_placed : platform::innerGeometry(m_panel);
        if (now != m_placed) m_centre = QRectF(now).center();
        const QRect target(int(std::lround(m_centre.x() - size.width() / 2.0)),
                           int(std::lround(m_centre.y() - size.height() / 2.0)), size.width(), size.height());
        m_placed = target;
        if (m_resize) m_resize->stop();
        if (animated) {
            if (!m_resize) m_resize = new QPropertyAnimation(m_panel, "geometry", this);
            m_resize->setDuration(180);
            m_resize->setStartValue(m_panel->geometry());
            m_resize->setEndValue(platform::outerGeometry(m_panel, target));
            m_resize->start();
        } else {
            platform::setInnerGeometry(m_panel, target);
        }
    }
    flashScale();
}

void PinWindowController::setOpacity(double opacity)
{
    m_opacity = std::clamp(opacity, 0.2, 1.0);
    if (m_panel) m_panel->setWindowOpacity(m_opacity);
    m_view->flashBadge(QStringLiteral("不透明度 %1%").arg(percent(m_opacity)));
}

void PinWindowController::copyImage()
{
    m_view->flashBadge(CaptureReport::copyToClipboard(m_image, {}) ? QStringLiteral("已复制") : QStringLiteral("复制失败"));
}

void PinWindowController::saveImage()
{
    const QByteArray png = CaptureFiles::encode(m_image, CaptureFileFormat::png);
    if (png.isEmpty() || !m_panel) return;
    m_panel->activateWindow();
    const QString path = chooseSavePath ? chooseSavePath(proposedSavePath()) : askSavePath(proposedSavePath());
    if (path.isEmpty()) return;
    if (const QString error = CaptureFiles::writeFileAt(path, png); !error.isEmpty())
        CaptureReport::show({QStringLiteral("保存失败"), error});
}

void PinWindowController::close()
{
    if (m_panel) m_panel->close();
}

void PinWindowController::windowWillClose()
{
    pinnedList().removeAll(this);
    deleteLater();
}

bool PinWindowController::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_C:
        if (!control) return false;
        copyImage();
        return true;
    case Qt::Key_S:
        if (!control) return false;
        saveImage();
        return true;
    case Qt::Key_W:
        if (!control) return false;
        close();
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        setScale(m_scale * 1.1, false);
        return true;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        setScale(m_scale / 1.1, false);
        return true;
    case Qt::Key_0:
        setScale(1.0, true);
        return true;
    case Qt::Key_BracketLeft:
        setOpacity(m_opacity - 0.1);
        return true;
    case Qt::Key_BracketRight:
        setOpacity(m_opacity + 0.1);
        return true;
    default:
        return false;
    }
}

QMenu* PinWindowController::makeMenu()
{
    auto* menu = new QMenu;
    QPointer<PinWindowController> self(this);
    const auto add = [&](QMenu* into, const QString& title, const QKeySequence& keys, auto action) {
        QAction* item = into->addAction(title);
        item->setShortcut(keys);
        item->setShortcutContext(Qt::WidgetShortcut);  // shown only; the pin handles its keys
        QObject::connect(item, &QAction::triggered, menu, [self, action] {
            if (self) action(*self);
        });
        return item;
    };
    add(menu, QStringLiteral("复制图片"), QKeySequence(Qt::CTRL | Qt::Key_C), [](auto& pin) { pin.copyImage(); });
    add(menu, QStringLiteral("保存图片…"), QKeySequence(Qt::CTRL | Qt::Key_S), [](auto& pin) { pin.saveImage(); });
    menu->addSeparator();
    add(menu, QStringLiteral("放大"), QKeySequence(Qt::Key_Plus), [](auto& pin) { pin.setScale(pin.m_scale * 1.1, false); });
    add(menu, QStringLiteral("缩小"), QKeySequence(Qt::Key_Minus), [](auto& pin) { pin.setScale(pin.m_scale / 1.1, false); });
    add(menu, QStringLiteral("实际大小（%1% → 100%）").arg(int(m_scale * 100)), QKeySequence(Qt::Key_0),
        [](auto& pin) { pin.setScale(1.0, true); });
    menu->addSeparator();
    QMenu* opacity = menu->addMenu(QStringLiteral("透明度"));
    for (const int level : {100, 90, 75, 60, 45, 30}) {
        QAction* item = add(opacity, QStringLiteral("%1%").arg(level), {},
                            [level](auto& pin) { pin.setOpacity(level / 100.0); });
        item->setData(level);
        item->setCheckable(true);
        item->setChecked(std::abs(level / 100.0 - m_opacity) < 0.02);
    }
    menu->addSeparator();
    add(menu, QStringLiteral("关闭（双击贴图也可以）"), QKeySequence(Qt::Key_Escape), [](auto& pin) { pin.close(); });
    add(menu, QStringLiteral("关闭全部贴图"), {}, [](auto&) { closeAll(); })
        ->setEnabled(pinnedList().size() >= 2);
    return menu;
}

}  // namespace klipo
