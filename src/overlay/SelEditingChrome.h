#pragma once

#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"
#include "overlay/SelChromeLayout.h"
#include "overlay/SelMessageCard.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>

#include <optional>

class QLabel;

namespace klipo {

class SelInlineToolbar;
class SelOverlayView;
class SelStyleStrip;

// The editing chrome of the view that holds the selection: the inline
// toolbar and the style strip placed next to the selection, the annotation
// canvas laid exactly over it, and the in-overlay toast. It wires the bars'
// taps to the tools, the canvas and the controller's actions.
class SelEditingChrome : public QObject {
public:
    explicit SelEditingChrome(SelOverlayView& view);

    SelInlineToolbar* toolbar() const { return m_toolbar; }
    SelStyleStrip* strip() const { return m_strip; }
    AnnoCanvasView* canvas() const { return m_canvas; }
    QWidget* toast() const { return m_toast; }
    std::optional<AnnoTool> currentTool() const { return m_tool; }
    const AnnoStyle& currentStyle() const { return m_style; }
    std::optional<SelChromeLayout::Side> side() const { return m_side; }

    // A new editing pass on this view: no tool, normal row, undo off, strip hidden.
    void reset();
    // Places the toolbar and the strip; hides them unless this view is editing.
    void layout();
    void setTool(std::optional<AnnoTool> tool);
    void styleChanged(AnnoTool tool);
    // Lays the canvas over the selection and loads the selection's pixels
    // when the selection changed since the last load.
    void syncCanvasFrameAndBase();
    // The canvas takes the pointer only with a tool chosen or marks on it.
    void updateCanvasRouting();
    // Handles and cursor after the canvas's marks or text field changed.
    void refreshLock();

    bool canvasVisible() const;
    bool canvasHoldsMarks() const;  // marks drawn, or a text field open
    bool canvasEditingText() const;
    // The selection with its marks drawn in; null without marks.
    QImage composedAnnotatedImage();
    // The selection's own pixels without marks (the picture the canvas was
    // loaded with when there are marks); null when they cannot be had.
    QImage cleanCrop() const;

    // A message over the selection (SelMessageCard); a newer one replaces it.
    void showToast(const QString& text);
    void showMessage(const QString& text, SelMessageCard::Kind kind,
                     std::optional<SelMessageCard::WayOut> wayOut = std::nullopt);
    void dropToast();
    // The "翻译中…" box over the selection while a translation runs.
    void showLoading();
    void hideLoading();
    QWidget* loadingBox() const { return m_loading; }

private:
    AnnoCanvasView* ensureCanvas();
    void placeHandleLayer();
    void annoStateChanged();

    SelOverlayView& m_view;
    SelInlineToolbar* m_toolbar;
    SelStyleStrip* m_strip;
    QPointer<AnnoCanvasView> m_canvas;
    QPointer<QWidget> m_handleLayer;  // the handles, drawn over the canvas
    QPointer<QWidget> m_toast;
    QPointer<QWidget> m_loading;
    std::optional<AnnoTool> m_tool;
    AnnoStyle m_style;
    QRectF m_canvasBaseSelection;  // null until the canvas holds a picture
    std::optional<SelChromeLayout::Side> m_side;
};

}  // namespace klipo
