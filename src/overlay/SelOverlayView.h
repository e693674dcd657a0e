#pragma once

#include "overlay/SelHints.h"
#include "overlay/SelMessageCard.h"
#include "overlay/SelSelection.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace klipo {

class SelEditingChrome;
class SelInlineTranslation;
class SelOverlayController;
class SelOverlayWindow;
class SelTextSelecting;

// The surface over one frozen screen. While selecting it dims the still,
// highlights the window under the pointer and draws the dragged rectangle;
// once a selection is committed here it shows it undimmed with eight handles,
// a size label and the editing chrome, and lets the user move, resize and
// nudge it. Views of the other screens keep showing the dimmed still.
class SelOverlayView : public QWidget {
public:
    SelOverlayView(SelOverlayWindow* window, SelOverlayController& controller);
    ~SelOverlayView() override;

    SelOverlayWindow* overlayWindow() const { return m_window; }
    SelOverlayController& controller() const { return m_controller; }
    SelEditingChrome* chrome() const { return m_chrome; }
    SelInlineTranslation& translation() const { return *m_translation; }
    SelTextSelecting& textSelecting() const { return *m_textSelecting; }

    // The controller is editing and this view holds the selection.
    bool isEditingHere() const;
    // Moving and resizing are refused: marks are drawn, text is edited or
    // selected, or a translation runs or shows.
    bool isSelectionLocked() const;
    // The view itself takes the pointer over the annotation canvas: while
    // text is selected or a translation runs or shows.
    bool takesPointerOverCanvas() const;

    // --- Selecting ---
    const SelSelection& selectionState() const { return m_selection; }
    std::optional<QRectF> highlightRect() const { return m_highlight; }
    void updateHighlight();
    void commitHighlightedWindow();
    void selectWholeScreen();
    // Forgets a drag and the highlight (another view took the selection).
    void clearSelectingState();

    // --- Editing ---
    QRectF selection() const { return m_selection.rect(); }
    void enterEditing(const QRectF& rect);
    // Moves the selection by whole device pixels; nothing while it is locked.
    void nudgeSelection(const QPoint& stepPx);
    void performPrimaryAction();
    // One step of the Esc ladder; false when nothing was left to undo.
    bool handleEscapeStep();
    // What the key-hint card lists now: what each key does in this state.
    QList<HUDHintPanel::Row> hintRows() const { return SelHints::rows(hintContext()); }
    // Ctrl+A and Ctrl+C on recognised text; false when they do not apply.
    bool selectAllText();
    bool copySelectedText();
    void undo();
    void redo();
    // The translate and text-select buttons.
    void startInlineTranslation();
    void toggleTextSelecting();
    // The session ends: a running translation and text recognition stop.
    void teardownInlineTranslation();
    // After the lock of the selection may have changed (text selecting, a
    // translation): chrome, canvas routing, handles and cursor.
    void lockChanged();
    void refreshCursor() { updateEditingCursor(m_mousePoint); }
    // The selection with its marks drawn in; null without marks.
    QImage composedAnnotatedImage();
    void showToast(const QString& text);
    // A failure message: it stays to be read, can be copied and closed.
    void showFailure(const QString& text, std::optional<SelMessageCard::WayOut> wayOut = std::nullopt);
    // After the selection moved or was resized: canvas, chrome, redraw.
    void selectionChanged(const QRectF& before);
    // The eight handles of a rectangle.
    static void drawHandles(QPainter& painter, const QRectF& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class SelEditingChrome;

    SelHints::Context hintContext() const;
    QList<QRectF> hintObstacles() const;
    QRectF hintFrame(SelHintCorner corner) const;
    void refreshHintCorner();
    void updateEditingCursor(const QPointF& p);
    void focusPanelIfSelecting();
    QRegion outline(const QRectF& rect) const;
    void dragChanged(const QRectF& before);

    // Drawing (SelOverlayPainting.cpp)
    void drawBorder(QPainter& painter, const QRectF& rect, const QColor& color, double width);
    void drawSizeLabel(QPainter& painter, const QRectF& rect);
    QRectF sizeLabelRect(const QRectF& rect) const;

    SelOverlayWindow* m_window;
    SelOverlayController& m_controller;
    SelSelection m_selection;
    std::optional<QRectF> m_highlight;
    QPointF m_mousePoint;
    SelHintCorner m_lastHintCorner = SelHintCorner::bottomLeft;
    SelEditingChrome* m_chrome = nullptr;
    SelInlineTranslation* m_translation;
    SelTextSelecting* m_textSelecting;
    bool m_canvasGesture = false;  // a handle drag that began over the canvas
    bool m_painted = false;
};

}  // namespace klipo
