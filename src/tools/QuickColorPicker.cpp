#include "tools/QuickColorPicker.h"

#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/ExclusiveInput.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "tools/CaptureReport.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorMagnifierView.h"
#include "tools/QuickColorPickerWindow.h"
#include "tools/QuickSettings.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>

namespace klipo {

QuickColorPickerController& QuickColorPickerController::shared()
{
    static auto* controller = new QuickColorPickerController;
    return *controller;
}

QuickColorPickerController::QuickColorPickerController() : m_input(new platform::ExclusiveInput(this))
{
    m_poll.setInterval(pollIntervalMs);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &QuickColorPickerController::updateForMouse);
    connect(m_input, &platform::ExclusiveInput::lost, this, [this] { finish(false); });
}

QList<QuickColorPickerWindow*> QuickColorPickerController::overlays() const
{
    QList<QuickColorPickerWindow*> result;
    for (const auto& overlay : m_overlays)
        if (overlay) result.append(overlay.data());
    return result;
}

QuickColorMagnifierView* QuickColorPickerController::magnifier(int index) const
{
    if (index < 0 || index >= m_overlays.size() || !m_overlays[index]) return nullptr;
    return m_overlays[index]->magnifier();
}

void QuickColorPickerController::start()
{
    if (m_active || m_preparing) return;
    if (!QuickCaptureService::checkPermission()) return;
    m_preparing = true;
    m_format = Settings::quickColorFormat();
    ScreenFreeze::grabAll([this](const QList<ScreenFreeze::Frozen>& screens) { present(screens); });
}

void QuickColorPickerController::refuse(const QString& reason)
{
    CaptureReport::show({QStringLiteral("取色失败"), reason});
}

void QuickColorPickerController::present(const QList<ScreenFreeze::Frozen>& screens)
{
    m_preparing = false;
    m_samples.clear();
    QList<QRect> geometries;
    QString failure;
    for (const ScreenFreeze::Frozen& frozen : screens) {
        if (failure.isEmpty()) failure = frozen.error;
        if (auto sample = QuickScreenSample::make(QRectF(frozen.screen.geometry), frozen.imagePx)) {
            m_samples.push_back(std::move(*sample));
            geometries.append(frozen.screen.geometry);
        }
    }
    if (m_samples.empty()) {
        refuse(failure.isEmpty() ? QStringLiteral("没能抓到屏幕画面")
                                 : QStringLiteral("没能抓到屏幕画面：") + failure);
        return;
    }
    m_active = true;
    m_currentText.clear();
    m_currentColor = QColor();
    QList<QWidget*> ours;
    QWidget* underPointer = nullptr;
    const QPoint pointer = QCursor::pos();
    for (std::size_t i = 0; i < m_samples.size(); ++i) {
        auto* overlay = new QuickColorPickerWindow(geometries[int(i)], m_samples[i].image());
        overlay->onMousePress = [this](Qt::MouseButton button) { handleMouse(button); };
        overlay->onKeyPress = [this](QKeyEvent* event) { handleKey(event); };
        overlay->show();
        m_overlays.append(overlay);
        ours.append(overlay);
        if (!underPointer && geometries[int(i)].contains(pointer)) underPointer = overlay;
    }
    if (!underPointer) underPointer = ours.first();
    const auto cancel = [this] { finish(false); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, cancel);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, cancel);
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, cancel);
    const QString refused = m_input->take(underPointer, ours, true);
    if (!refused.isEmpty()) {
        finish(false);
        refuse(refused);
        return;
    }
    m_poll.start();
    updateForMouse();
}

void QuickColorPickerController::updateForMouse()
{
    if (!m_active) return;
    const platform::ScreenMetrics* metrics = platform::services().screens;
    const QPointF mouse = metrics ? metrics->pointerPosition() : QCursor::pos();
    bool shown = false;
    const QString name = formatName(m_format);
    for (std::size_t i = 0; i < m_samples.size() && int(i) < m_overlays.size(); ++i) {
        QuickColorPickerWindow* overlay = m_overlays[int(i)];
        if (!overlay) continue;
        QuickColorMagnifierView* view = overlay->magnifier();
        const QuickScreenSample& sample = m_samples[i];
        const std::optional<QPoint> pixel = sample.pixelPoint(mouse);
        const auto rgb = pixel ? sample.rgb(pixel->x(), pixel->y()) : std::nullopt;
        if (!rgb) {
            view->hide();
            continue;
        }
        shown = true;
        m_currentText = colorText(m_format, (*rgb)[0], (*rgb)[1], (*rgb)[2]);
        m_currentColor = QColor((*rgb)[0], (*rgb)[1], (*rgb)[2]);
        if (view->setContent(sample.image(), *pixel, m_currentColor, m_currentText, name)) view->update();
        view->move(magnifierOrigin(mouse, sample.screenFrame(), QSizeF(view->size())).toPoint());
        view->show();
    }
    // A click over no picture must not copy a colour from an earlier position.
    if (!shown) {
        m_currentText.clear();
        m_currentColor = QColor();
    }
}

void QuickColorPickerController::handleMouse(Qt::MouseButton button)
{
    if (!m_active) return;
    finish(button == Qt::LeftButton);
}

void QuickColorPickerController::handleKey(QKeyEvent* event)
{
    if (!m_active) return;
    switch (event->key()) {
    case Qt::Key_C:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true);
        break;
    case Qt::Key_Space:
        m_format = nextFormat(m_format);
        Settings::setQuickColorFormat(m_format);
        updateForMouse();
        break;
    case Qt::Key_Escape:
        finish(false);
        break;
    default:
        break;
    }
    event->accept();
}

void QuickColorPickerController::finish(bool copy)
{
    if (!m_active) return;
    m_active = false;
    disconnect(qGuiApp, nullptr, this, nullptr);
    m_poll.stop();
    m_input->release();
    for (const auto& overlay : std::as_const(m_overlays)) {
        if (!overlay) continue;
        overlay->hide();
        overlay->deleteLater();
    }
    m_overlays.clear();
    m_samples.clear();
    if (!copy || m_currentText.isEmpty()) return;
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setText(m_currentText);
    CaptureReport::show({QStringLiteral("色值已复制"), m_currentText}, swatch(m_currentColor));
}

QImage QuickColorPickerController::swatch(const QColor& color)
{
    // 76 by 56 points at two pixels per point, as the toast's thumbnails are.
    QImage image(152, 112, QImage::Format_RGB32);
    image.fill(color.isValid() ? color : QColor(Qt::black));
    image.setDevicePixelRatio(2.0);
    return image;
}

}  // namespace klipo
