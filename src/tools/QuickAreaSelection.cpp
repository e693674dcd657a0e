#include "tools/QuickAreaSelection.h"

#include "app/CaptureFailure.h"
#include "platform/ExclusiveInput.h"
#include "platform/PlatformServices.h"
#include "tools/QuickArea.h"
#include "tools/QuickAreaSelectionView.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace klipo {

QuickAreaSelectionController& QuickAreaSelectionController::shared()
{
    static auto* controller = new QuickAreaSelectionController;
    return *controller;
}

QuickAreaSelectionController::QuickAreaSelectionController() : m_input(new platform::ExclusiveInput(this))
{
    connect(m_input, &platform::ExclusiveInput::lost, this, [this] { finish(std::nullopt); });
}

QList<QuickAreaSelectionView*> QuickAreaSelectionController::windows() const
{
    QList<QuickAreaSelectionView*> result;
    for (const auto& window : m_windows)
        if (window) result.append(window.data());
    return result;
}

void QuickAreaSelectionController::begin(Completion completion)
{
    if (m_state != State::idle) return;
    m_state = State::freezing;
    m_completion = std::move(completion);
    ScreenFreeze::grabAll([this](const QList<ScreenFreeze::Frozen>& screens) { present(screens); });
}

void QuickAreaSelectionController::present(const QList<ScreenFreeze::Frozen>& screens)
{
    if (m_state != State::freezing) return;
    QString failure;
    bool anyPicture = false;
    for (const ScreenFreeze::Frozen& frozen : screens) {
        if (!frozen.imagePx.isNull()) anyPicture = true;
        else if (failure.isEmpty()) failure = frozen.error;
    }
    if (!anyPicture) {
        finish(std::nullopt);
        reportCaptureFailure(platform::CaptureOutcome::failed(
            screens.isEmpty() ? QStringLiteral("无法读取屏幕画面：没有可用的显示器") : failure));
        return;
    }
    m_state = State::selecting;
    QList<QWidget*> ours;
    QWidget* underPointer = nullptr;
    const QPoint pointer = QCursor::pos();
    for (const ScreenFreeze::Frozen& frozen : screens) {
        auto* view = new QuickAreaSelectionView(frozen.screen.geometry, frozen.imagePx);
        connect(view, &QuickAreaSelectionView::committed, this, [this, view](const QRectF& inView) {
            finish(inView.translated(view->geometry().topLeft()));
        });
        connect(view, &QuickAreaSelectionView::cancelled, this, [this] { finish(std::nullopt); });
        view->show();
        m_windows.append(view);
        ours.append(view);
        if (!underPointer && frozen.screen.geometry.contains(pointer)) underPointer = view;
    }
    if (!underPointer) underPointer = ours.first();
    const auto layoutChanged = [this] { finish(std::nullopt); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, layoutChanged);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, layoutChanged);
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, layoutChanged);
    const QString refused = m_input->take(underPointer, ours, false);
    if (!refused.isEmpty()) {
        finish(std::nullopt);
        reportCaptureFailure(platform::CaptureOutcome::failed(refused));
    }
}

void QuickAreaSelectionController::finish(std::optional<QRectF> area)
{
    if (m_state == State::idle) return;
    m_state = State::idle;
    disconnect(qGuiApp, nullptr, this, nullptr);
    m_input->release();
    for (const auto& window : std::as_const(m_windows)) {
        if (!window) continue;
        window->hide();
        window->deleteLater();
    }
    m_windows.clear();
    Completion completion = std::move(m_completion);
    m_completion = nullptr;
    if (!completion) return;
    if (area && QuickArea::isLargeEnough(*area))
        completion(area);
    else
        completion(std::nullopt);
}

}  // namespace klipo
