#pragma once

#include "annotation/canvas/AnnoCanvasLayer.h"
#include "annotation/canvas/AnnoDisplayMapping.h"
#include "annotation/canvas/AnnoTextField.h"
#include "annotation/canvas/AnnoUndoHistory.h"
#include "annotation/model/AnnoItem.h"
#include "annotation/model/AnnoState.h"
#include "annotation/render/AnnoRenderer.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace klipo {

// The view on which one image is annotated, in the annotation window (window
// mode: the crop fitted and centred on a dark margin) or laid exactly over the
// selection of the capture overlay (inline mode: no background, no frame, the
// bounds are the displayed crop). It shows the crop with every mark drawn by
// the renderer, decorates the selected mark, and turns mouse and keys into
// edits with undo and redo. Hosts drive it through the operations below and
// learn of changes through the four callbacks.
//
// The canvas coordinates small helpers: the display mapping, the marks' own
// geometry (AnnoMarks), the cached layer, the undo history and the text field.
class AnnoCanvasView : public QWidget {
    Q_OBJECT
public:
    explicit AnnoCanvasView(QWidget* parent = nullptr);
    ~AnnoCanvasView() override;

    // Starts a new session on the image: new renderer, no marks, empty undo
    // history, numbers from 1, no selection, crop = the whole image; an open
    // text edit is dropped. Reports a state change.
    void load(const QImage& image);

    // --- Written by hosts ---
    AnnoTool tool() const { return m_tool; }
    // Another tool commits an open text edit; any tool but select clears the selection.
    void setTool(AnnoTool tool);
    const AnnoStyle& style() const { return m_style; }
    // The style stamped on new marks.
    void setStyle(const AnnoStyle& style) { m_style = style; }
    bool isInline() const { return m_inline; }
    void setInline(bool isInline);
    bool suppressesCursorRects() const { return m_suppressesCursor; }
    // When true the canvas sets no cursor of its own.
    void setSuppressesCursorRects(bool suppress);
    std::optional<QUuid> selectedID() const { return m_selectedID; }
    void setSelectedID(const std::optional<QUuid>& id);

    std::function<void()> onStateChanged;  // marks, crop or undo history changed
    std::function<void(const std::optional<AnnoItem>&)> onSelectionChanged;
    std::function<void(AnnoTool)> onToolAutoChanged;  // the canvas chose select after a crop
    std::function<void()> onCancelRequested;          // Esc with nothing left to cancel

    // --- Read by hosts ---
    const QList<AnnoItem>& items() const { return m_items; }
    QRectF cropRect() const { return m_cropRect; }
    int nextNumber() const { return m_nextNumber; }
    // Composes the result: renderer()->compose(items(), cropRect()). Null before the first load.
    AnnoRenderer* renderer() const { return m_renderer.get(); }
    std::optional<AnnoItem> selectedItem() const;
    // The open text field, or null when no text is being edited.
    QLineEdit* editor() const;
    const QList<AnnoState>& undoStack() const { return m_history.undoStack(); }
    const QList<AnnoState>& redoStack() const { return m_history.redoStack(); }
    // Marks present, or a crop smaller than the whole image.
    bool hasAnnotations() const;

    // --- Edits ---
    void deleteSelection();
    // Restyles the selected mark; restyles of one mark within 1.2 s of each other are one undo step.
    void applyStyleToSelection(const AnnoStyle& style);
    void clearAll();
    void undo();
    void redo();
    void endTextEditing(bool commit);

    // --- Mapping between view points and image pixels ---
    QPointF viewPoint(QPointF imagePx) const;
    QPointF imagePoint(QPointF viewPt) const;
    AnnoDisplayMapping mapping() const;

    // The monotonic clock (seconds) that restyle runs are measured on.
    void setUptimeSource(std::function<double()> source) { m_uptime = std::move(source); }

    // How many times the cached layer was redrawn (for measuring).
    int layerRebuilds() const { return m_layer.rebuilds(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class DragMode { none, create, move, resize, crop };

    // State and its reports
    AnnoState currentState() const;
    void applyState(const AnnoState& state);
    void pushUndo();
    void stateChanged();
    int selectedIndex() const;
    QRectF fullImage() const;
    void updateCursor();

    // Input (AnnoCanvasInput.cpp)
    void press(QPointF viewPt, int clickCount, Qt::KeyboardModifiers modifiers);
    void handleSelectPress(QPointF p, QPointF v, int clickCount);
    void drag(QPointF viewPt, Qt::KeyboardModifiers modifiers);
    void release();
    void commitDraft();
    void commitCrop();
    QPointF clampToImage(QPointF p) const;
    QPointF clampedMove(QPointF delta) const;

    // Text editing (AnnoCanvasText.cpp)
    void beginTextEditing(const AnnoItem& item, bool isNew);
    void updateEditorFrame(const AnnoItem& item);
    std::optional<AnnoItem> editedItem() const;

    // Drawing (AnnoCanvasPainting.cpp)
    void drawDecorations(QPainter& painter, const AnnoDisplayMapping& m);

    std::unique_ptr<AnnoRenderer> m_renderer;
    QList<AnnoItem> m_items;
    QRectF m_cropRect;
    int m_nextNumber = 1;
    bool m_inline = false;
    AnnoTool m_tool = AnnoTool::select;
    AnnoStyle m_style;
    std::optional<QUuid> m_selectedID;
    bool m_suppressesCursor = false;

    AnnoUndoHistory m_history;
    std::function<double()> m_uptime;

    std::optional<AnnoItem> m_draftItem;
    std::optional<QRectF> m_draftCrop;
    std::optional<AnnoState> m_dragSnapshot;
    std::optional<AnnoItem> m_dragItemAtPress;  // the moved or resized mark as it was at the press
    QPointF m_dragOrigin;
    DragMode m_dragMode = DragMode::none;
    int m_activeHandle = -1;

    QPointer<AnnoTextField> m_editor;
    std::optional<QUuid> m_editingItemID;
    bool m_editingIsNew = false;
    std::optional<AnnoItem> m_pendingTextItem;

    AnnoCanvasLayer m_layer;
};

}  // namespace klipo
