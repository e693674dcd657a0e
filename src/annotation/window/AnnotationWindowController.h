#pragma once

#include "annotation/model/AnnoItem.h"
#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>

#include <functional>
#include <memory>
#include <optional>

namespace klipo {

class AnnoBottomBar;
class AnnoCanvasView;
class AnnoRenderer;
class AnnoStyleBar;
class AnnoToolBar;
class AnnoWindow;
class AnnoWindowDialogs;

// The stand-alone annotation editor: one window, built on the first session
// and kept, in which the user marks up one captured image, then copies it,
// saves it as PNG, cancels, or finishes. One session at a time; main thread.
//
// The controller coordinates the bars, the canvas and the outputs: it keeps
// the chosen tool (remembered under "anno.lastTool") and the style shown in
// the style bar, saves each style edit for the tool it belongs to, and ends
// each session exactly once.
class AnnotationWindowController : public QObject {
    Q_OBJECT
public:
    // Gets the composed image when the user finishes, none when the session is
    // cancelled, closed or replaced by a new one.
    using Completion = std::function<void(std::optional<QImage>)>;
    // Makes the annotated image; null when it cannot.
    using Composer = std::function<QImage(AnnoRenderer&, const QList<AnnoItem>&, const QRectF&)>;

    static AnnotationWindowController& shared();

    // Opens a session on the image; a session still open ends first, with none.
    void show(const QImage& image, Completion completion);
    bool isSessionOpen() const { return !m_didFinish; }
    // Builds the window ahead of its first session (the command does it while
    // the user picks), so that the first session opens as fast as the next.
    void prepare();
    // Brings the open session's window to the front.
    void bringToFront();

    // Replaces the save and colour dialogs (tests answer them).
    void setDialogs(std::unique_ptr<AnnoWindowDialogs> dialogs);
    // Replaces how the annotated image is made (tests make it fail).
    void setComposer(Composer composer);

    AnnoTool currentTool() const { return m_currentTool; }
    const AnnoStyle& currentStyle() const { return m_currentStyle; }
    // The style bar shows and edits this tool's style: the chosen tool, or
    // under select the selected mark's tool (select with nothing selected).
    AnnoTool styleContextTool() const;

    // The window and its parts; null before the first session.
    AnnoWindow* window() const { return m_window; }
    AnnoCanvasView* canvas() const { return m_canvas; }
    AnnoToolBar* toolBar() const { return m_toolBar; }
    AnnoStyleBar* styleBar() const { return m_styleBar; }
    AnnoBottomBar* bottomBar() const { return m_bottomBar; }

private:
    AnnotationWindowController();
    ~AnnotationWindowController() override;

    void ensureWindow();
    void sizeWindow(const QImage& image);
    void selectTool(AnnoTool tool);
    void refreshState();
    void selectionChanged(const std::optional<AnnoItem>& item);
    void syncStyleControls();
    void styleEdited(const AnnoStyle& style);
    void deleteSelection();
    // The annotated image with an open text edit committed first; null when
    // it cannot be made.
    QImage compose();
    void copyToClipboard();
    void saveToFile();
    void done();
    void finish(std::optional<QImage> image);

    AnnoWindow* m_window = nullptr;  // kept for the life of the process
    AnnoCanvasView* m_canvas = nullptr;
    AnnoToolBar* m_toolBar = nullptr;
    AnnoStyleBar* m_styleBar = nullptr;
    AnnoBottomBar* m_bottomBar = nullptr;
    std::unique_ptr<AnnoWindowDialogs> m_dialogs;
    Composer m_composer;
    Completion m_completion;
    bool m_didFinish = true;
    AnnoTool m_currentTool = AnnoTool::rectangle;
    AnnoStyle m_currentStyle;
};

}  // namespace klipo
