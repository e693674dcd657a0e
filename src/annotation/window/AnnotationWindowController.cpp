#include "annotation/window/AnnotationWindowController.h"

#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/style/AnnoStyleStore.h"
#include "annotation/window/AnnoBottomBar.h"
#include "annotation/window/AnnoImageOutput.h"
#include "annotation/window/AnnoStyleBar.h"
#include "annotation/window/AnnoToolBar.h"
#include "annotation/window/AnnoWindow.h"
#include "annotation/window/AnnoWindowDialogs.h"
#include "annotation/window/AnnoWindowSizing.h"
#include "app/Settings.h"
#include "platform/SettingsStore.h"
#include "platform/WindowPlacement.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace klipo {

namespace {
const QString lastToolKey = QStringLiteral("anno.lastTool");

// The remembered tool; crop (and anything unknown) starts as rectangle.
AnnoTool startingTool()
{
    const QJsonValue stored = platform::SettingsStore::shared().value(lastToolKey);
    const std::optional<AnnoTool> tool = stored.isString() ? AnnoTools::fromRawValue(stored.toString()) : std::nullopt;
    return !tool || *tool == AnnoTool::crop ? AnnoTool::rectangle : *tool;
}
}  // namespace

AnnotationWindowController& AnnotationWindowController::shared()
{
    // Lives as long as the process, like its window.
    static AnnotationWindowController* controller = new AnnotationWindowController();
    return *controller;
}

AnnotationWindowController::AnnotationWindowController() : m_dialogs(makeQtAnnoWindowDialogs()) {}

AnnotationWindowController::~AnnotationWindowController() = default;

void AnnotationWindowController::setDialogs(std::unique_ptr<AnnoWindowDialogs> dialogs)
{
    m_dialogs = dialogs ? std::move(dialogs) : makeQtAnnoWindowDialogs();
}

void AnnotationWindowController::setComposer(Composer composer) { m_composer = std::move(composer); }

void AnnotationWindowController::show(const QImage& image, Completion completion)
{
    if (isSessionOpen()) finish(std::nullopt);
    ensureWindow();
    m_canvas->load(image);
    m_completion = std::move(completion);
    m_didFinish = false;
    selectTool(startingTool());
    refreshState();
    sizeWindow(image);
    m_window->show();
    bringToFront();
    m_canvas->setFocus(Qt::OtherFocusReason);
}

void AnnotationWindowController::prepare()
{
    if (m_window) return;
    ensureWindow();
    m_window->winId();  // makes the native window too, without showing it
    // A first drawing off the screen loads the fonts and styles the bars use.
    m_window->layout()->activate();
    m_window->grab();
}

void AnnotationWindowController::bringToFront()
{
    if (!m_window || !isSessionOpen()) return;
    if (m_window->isMinimized()) m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void AnnotationWindowController::ensureWindow()
{
    if (m_window) return;
    auto* window = new AnnoWindow;
    window->setWindowTitle(QStringLiteral("截图标注"));
    window->setMinimumSize(AnnoWindowSizing::minimumWindow);
    m_toolBar = new AnnoToolBar(window);
    m_styleBar = new AnnoStyleBar(window);
    m_canvas = new AnnoCanvasView(window);
    m_canvas->setMinimumSize(100, 100);
    m_bottomBar = new AnnoBottomBar(window);
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolBar);
    column->addWidget(m_styleBar);
    column->addWidget(m_canvas, 1);
    column->addWidget(m_bottomBar);
    window->resize(900, 640);
    m_window = window;

    m_canvas->onStateChanged = [this] { refreshState(); };
    m_canvas->onSelectionChanged = [this](const std::optional<AnnoItem>& item) { selectionChanged(item); };
    m_canvas->onToolAutoChanged = [this](AnnoTool tool) { selectTool(tool); };
    m_canvas->onCancelRequested = [this] { finish(std::nullopt); };

    window->onCancel = [this] { finish(std::nullopt); };
    window->onClose = [this] { finish(std::nullopt); };
    window->onUndo = [this] { m_canvas->undo(); };
    window->onRedo = [this] { m_canvas->redo(); };
    window->onCopy = [this] { copyToClipboard(); };
    window->onSave = [this] { saveToFile(); };
    window->onDone = [this] { done(); };
    window->isTextEditing = [this] { return m_canvas->editor() != nullptr; };

    m_toolBar->onToolChosen = [this](AnnoTool tool) { selectTool(tool); };
    m_toolBar->onUndo = [this] { m_canvas->undo(); };
    m_toolBar->onRedo = [this] { m_canvas->redo(); };
    m_toolBar->onDelete = [this] { m_canvas->deleteSelection(); };
    m_toolBar->onClear = [this] { m_canvas->clearAll(); };

    m_styleBar->onStyleEdited = [this](const AnnoStyle& style) { styleEdited(style); };
    m_styleBar->chooseColor = [this](const QColor& initial, std::function<void(const QColor&)> done) {
        m_dialogs->chooseColor(m_window, initial, std::move(done));
    };

    m_bottomBar->onCancel = [this] { finish(std::nullopt); };
    m_bottomBar->onCopy = [this] { copyToClipboard(); };
    m_bottomBar->onSave = [this] { saveToFile(); };
    m_bottomBar->onDone = [this] { done(); };
}

void AnnotationWindowController::sizeWindow(const QImage& image)
{
    QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    const double scale = screen ? screen->devicePixelRatio() : 2.0;
    const std::optional<QRect> visible = screen ? std::optional(screen->availableGeometry()) : std::nullopt;
    const QSize size = AnnoWindowSizing::contentSize(image.size(), scale, visible);
    m_window->resize(size);
    if (!visible) return;
    QRect frame(QPoint(0, 0), platform::expectedFrameSize(m_window));
    frame.moveCenter(visible->center());
    platform::moveInside(m_window, frame.topLeft(), *visible);
}

void AnnotationWindowController::selectTool(AnnoTool tool)
{
    m_currentTool = tool;
    platform::SettingsStore::shared().setValue(lastToolKey, AnnoTools::rawValue(tool));
    m_toolBar->setCurrentTool(tool);
    m_currentStyle = AnnoStyleStore::style(tool);
    m_canvas->setTool(tool);
    m_canvas->setStyle(m_currentStyle);
    syncStyleControls();
}

AnnoTool AnnotationWindowController::styleContextTool() const
{
    if (m_currentTool != AnnoTool::select) return m_currentTool;
    const std::optional<AnnoItem> selected = m_canvas ? m_canvas->selectedItem() : std::nullopt;
    return selected ? selected->tool : AnnoTool::select;
}

void AnnotationWindowController::syncStyleControls() { m_styleBar->showStyle(m_currentStyle, styleContextTool()); }

void AnnotationWindowController::refreshState()
{
    m_toolBar->setEditState(!m_canvas->undoStack().isEmpty(), !m_canvas->redoStack().isEmpty(),
                            m_canvas->selectedItem().has_value());
}

void AnnotationWindowController::selectionChanged(const std::optional<AnnoItem>& item)
{
    if (m_currentTool == AnnoTool::select && item) m_currentStyle = item->style;
    syncStyleControls();
    m_toolBar->setEditState(!m_canvas->undoStack().isEmpty(), !m_canvas->redoStack().isEmpty(), item.has_value());
}

void AnnotationWindowController::styleEdited(const AnnoStyle& style)
{
    m_currentStyle = style;
    // Restyling a selected mark also changes what its tool draws next.
    AnnoStyleStore::save(style, styleContextTool());
    m_canvas->setStyle(style);
    m_canvas->applyStyleToSelection(style);
    syncStyleControls();
}

QImage AnnotationWindowController::compose()
{
    if (!m_canvas) return {};
    m_canvas->endTextEditing(true);
    AnnoRenderer* renderer = m_canvas->renderer();
    if (!renderer) return {};
    return m_composer ? m_composer(*renderer, m_canvas->items(), m_canvas->cropRect())
                      : renderer->compose(m_canvas->items(), m_canvas->cropRect());
}

void AnnotationWindowController::copyToClipboard()
{
    const QImage image = compose();
    if (image.isNull()) {
        AnnoImageOutput::reportComposeFailure(QStringLiteral("复制失败"));
        return;
    }
    AnnoImageOutput::copy(image);
}

void AnnotationWindowController::saveToFile()
{
    const QImage image = compose();
    if (image.isNull()) {
        AnnoImageOutput::reportComposeFailure(QStringLiteral("保存失败"));
        return;
    }
    const QString proposed =
        Settings::saveDialogPath(AnnoImageOutput::proposedFileName(QDateTime::currentDateTime()));
    m_dialogs->chooseSavePath(m_window, proposed, [image](const QString& path) {
        if (!path.isEmpty()) AnnoImageOutput::save(image, path);
    });
}

void AnnotationWindowController::done()
{
    const QImage image = compose();
    if (image.isNull()) {
        // The marks stay: the user may free memory or crop, and try again.
        AnnoImageOutput::reportComposeFailure(QStringLiteral("无法完成标注"));
        return;
    }
    finish(image);
}

void AnnotationWindowController::finish(std::optional<QImage> image)
{
    if (m_didFinish) return;
    m_didFinish = true;
    Completion completion = std::move(m_completion);
    m_completion = nullptr;
    m_canvas->endTextEditing(false);
    m_window->hide();
    if (completion) completion(std::move(image));
}

}  // namespace klipo
