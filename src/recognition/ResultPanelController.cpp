#include "recognition/ResultPanelController.h"

#include "app/CaptureHUDController.h"
#include "app/Settings.h"
#include "platform/DockAreas.h"
#include "platform/FileDialogs.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenMetrics.h"
#include "platform/WindowFocus.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowRoles.h"
#include "platform/WindowStacking.h"
#include "recognition/OCRService.h"
#include "recognition/ResultActions.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultTranslationRun.h"
#include "recognition/TargetLanguageReach.h"
#include "recognition/TranslationHistory.h"
#include "stores/HistoryImages.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace klipo {

namespace {

constexpr int kFrameSettleMs = 60;

std::optional<platform::ScreenInfo> mainScreen()
{
    const platform::ScreenMetrics* metrics = platform::services().screens;
    return metrics ? metrics->primaryScreen() : std::nullopt;
}

}  // namespace

ResultPanelController& ResultPanelController::shared()
{
    static ResultPanelController* controller = new ResultPanelController();
    return *controller;
}

ResultPanelController::ResultPanelController()
    : m_model(new ResultModel(this)), m_previewFiles(new ResultPreviewFiles(this))
{
    // Parented to the panel so that the window manager keeps it above it.
    chooseSavePath = [this](const QString& proposedPath) {
        return platform::askSavePngPath(m_panel, QStringLiteral("保存图片"), proposedPath);
    };
}

QSizeF ResultPanelController::contentSize(QSizeF displaySize)
{
    return {std::max<qreal>(460, displaySize.width() + 24), displaySize.height() + 88};
}

QPoint ResultPanelController::originNearPointer(QPoint pointer, QSize frameSize, QRect visibleArea)
{
    const int right = visibleArea.left() + visibleArea.width();
    const int bottom = visibleArea.top() + visibleArea.height();
    const int x = std::min(std::max(pointer.x() + 16, visibleArea.left()), right - frameSize.width());
    const int y = std::max(std::min(pointer.y() + 16, bottom - frameSize.height()), visibleArea.top());
    return {x, y};
}

void ResultPanelController::startNewCapture()
{
    ++m_generation;
    m_cancel.cancel();
    m_cancel = platform::CancelToken();
    m_originalPng = {};
    // The enlarged views belonged to the picture that is about to go.
    m_previewFiles->removeAll();
}

void ResultPanelController::showCapture(const QImage& image, double displayScale)
{
    startNewCapture();
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        CaptureHUDController::shared().show(QStringLiteral("全屏翻译失败"), QStringLiteral("截到的画面是空的"));
        return;
    }
    const quint64 generation = m_generation;
    OCRService::recognizeBlocks(image, false)
        .then(this, [this, generation, image, displayScale](const OcrOutcome& outcome) {
            if (generation != m_generation) return;
            if (outcome.ok) present(image, outcome.blocks, displayScale);
            else presentFailure(image, displayScale, outcome.error);
        });
    // The capture is the record's original picture: its PNG is encoded while
    // its text is read and translated, not after.
    if (Settings::saveHistory()) m_originalPng = historyimages::pngDataLater(image);
    // The panel is made ready while the picture is read: the first time,
    // its window and the fonts of its status take a few tens of milliseconds.
    if (!m_panel) createPanel();
    m_view->prepareTranslatingStatus();
    m_panel->winId();
}

void ResultPanelController::show(const QImage& image, const std::vector<TextBlock>& blocks,
                                 std::optional<qreal> displayScale)
{
    startNewCapture();
    present(image, blocks, displayScale);
}

void ResultPanelController::present(const QImage& image, const std::vector<TextBlock>& blocks,
                                    std::optional<qreal> displayScale)
{
    if (!m_panel) createPanel();
    const std::optional<TranslationJob> job =
        m_model->start(image, blocks, displayScale, Settings::targetLanguage(), mainScreen());
    // The translation starts before the panel shows: it runs on its own
    // thread while the window is laid out and shown.
    if (!job) m_originalPng = {};  // no record comes of it
    if (job) {
        const quint64 generation = m_generation;
        ResultTranslationRun::start(*job, m_cancel)
            .then(this, [this, generation](const TranslationRunOutcome& outcome) { finishRun(generation, outcome); });
    }
    revealPanel();
}

void ResultPanelController::presentFailure(const QImage& image, double displayScale, const QString& status)
{
    if (!m_panel) createPanel();
    m_originalPng = {};
    m_model->startWithFailure(image, displayScale, status, mainScreen());
    revealPanel();
}

void ResultPanelController::finishRun(quint64 generation, const TranslationRunOutcome& outcome)
{
    if (generation != m_generation) return;
    m_model->finish(outcome);
    if (outcome.kind == TranslationRunOutcome::Kind::Translated) saveToHistory(outcome);
    m_originalPng = {};
}

void ResultPanelController::saveToHistory(const TranslationRunOutcome& outcome)
{
    QPointer<ResultPanelController> self(this);
    auto done = [self](bool saved) {
        if (self) Q_EMIT self->historySaveFinished(saved);
    };
    if (m_originalPng.isValid()) {
        TranslationHistory::save(outcome.image, std::exchange(m_originalPng, {}), outcome.originalText,
                                 outcome.translatedJoined, std::move(done));
        return;
    }
    TranslationHistory::save(outcome.image, m_model->baseImage(), outcome.originalText, outcome.translatedJoined,
                             std::move(done));
}

void ResultPanelController::createPanel()
{
    // A window of its own (a tool window would be hidden by KWin whenever
    // another program is active) that takes the keyboard when it shows (Esc
    // closes it) and is not kept above other windows: the preferences, the
    // image viewer or a file dialog opened while it shows come in front of it.
    auto* panel = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panel->setAttribute(Qt::WA_QuitOnClose, false);
    panel->setWindowTitle(QStringLiteral("KlipoVersa"));
    // A panel of the program, no window of its own to the task bar: it would
    // be a second entry of the library window's name.
    platform::applyWindowRole(panel, platform::WindowRole::unlisted);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new ResultView(*m_model, panel);
    layout->addWidget(m_view);
    connect(m_view, &ResultView::actionTriggered, this, &ResultPanelController::perform);
    connect(m_view, &ResultView::targetLanguageChangeRequested, panel, [this, panel] {
        // The picker is to come in front: handing the keys back to the
        // program the user came from first would race it there.
        m_focusReturn.forget();
        panel->close();
        TargetLanguageReach::openPicker();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), panel);
    connect(close, &QShortcut::activated, panel, &QWidget::close);
    panel->installEventFilter(this);
    m_panel = panel;
}

bool ResultPanelController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && event->type() == QEvent::Close) {
        // The keyboard back to where the user was, before the window manager
        // hands it to another window of ours.
        m_focusReturn.giveBack(m_panel);
        // Closed by the user: the capture and its translation are done with.
        if (!m_model->isTranslating()) m_model->releaseImages();
    }
    return QObject::eventFilter(watched, event);
}

void ResultPanelController::revealPanel()
{
    const QSizeF content = contentSize(m_model->displaySize());
    const QSize size(int(std::ceil(content.width())), int(std::ceil(content.height())));
    m_panel->setMinimumSize(460, std::min(320, size.height()));
    m_panel->resize(size);
    positionNearPointer();
    if (!m_panel->isVisible()) m_focusReturn.noteBefore(m_panel);
    m_panel->show();
    m_panel->raise();
    // In front with the keyboard, a focused full-screen window's included:
    // the user reads it and closes it with Esc.
    platform::activateOwnWindow(m_panel);
    // The window manager adds its frame only once the panel is shown: place
    // it again with the real frame so no edge ends up off the screen.
    QTimer::singleShot(kFrameSettleMs, m_panel, [this] { positionNearPointer(); });
}

void ResultPanelController::positionNearPointer()
{
    const platform::ScreenMetrics* metrics = platform::services().screens;
    if (!m_panel || !metrics) return;
    const QPoint pointer = metrics->pointerPosition();
    std::optional<platform::ScreenInfo> screen;
    for (const platform::ScreenInfo& candidate : metrics->screens()) {
        if (candidate.geometry.contains(pointer)) {
            screen = candidate;
            break;
        }
    }
    if (!screen) screen = metrics->primaryScreen();
    if (!screen) return;
    const QSize frame = platform::expectedFrameSize(m_panel);
    // Clear of the docks along the edges too, those that reserve no room
    // (a tray host): the panel must not hide the tray.
    const QRect area = platform::clearOfDocks(screen->geometry, screen->availableGeometry);
    platform::moveInside(m_panel, originNearPointer(pointer, frame, area), area);
}

bool ResultPanelController::hideForCapture()
{
    if (!m_panel || !m_panel->isVisible()) return false;
    m_panel->hide();
    return true;
}

void ResultPanelController::perform(ResultView::Action action)
{
    const QImage& image = m_model->displayImage();
    QString title;
    QString reason;
    switch (action) {
    case ResultView::Action::copyImage:
        title = QStringLiteral("复制图片失败");
        reason = ResultActions::copyImage(image);
        break;
    case ResultView::Action::saveImage:
        title = QStringLiteral("图片保存失败");
        reason = ResultActions::saveImage(image, chooseSavePath);
        break;
    case ResultView::Action::enlarge:
        m_previewFiles->open(image);  // tells the user itself: the viewer answers later
        break;
    case ResultView::Action::copyText:
        title = QStringLiteral("复制译文失败");
        reason = ResultActions::copyText(m_model->translatedJoined());
        break;
    case ResultView::Action::pin:
        title = QStringLiteral("钉在桌面失败");
        reason = ResultActions::pin(image);
        break;
    }
    if (!reason.isEmpty()) CaptureHUDController::shared().show(title, reason);
}

}  // namespace klipo
