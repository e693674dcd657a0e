#pragma once

#include "overlay/SelTextItem.h"
#include "recognition/ImageRenderer.h"
#include "recognition/TextModel.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace klipo {

// The text on a picture that the user can select as in a text editor: the
// items in reading order, where the selection began (anchor) and where it
// ends now (focus), hit testing, word, line and whole selection, the
// rectangles to highlight and the selected text joined back into clean text.
// Layer space: the picture's pixels, origin at the bottom left, y up. Knows
// nothing of views; main thread only once built.
class SelTextLayer {
public:
    SelTextLayer() = default;
    // The items as given (already in reading order), nothing selected.
    explicit SelTextLayer(std::vector<SelTextItem> items) : m_items(std::move(items)) {}

    const std::vector<SelTextItem>& items() const { return m_items; }
    bool isEmpty() const { return m_items.empty(); }

    const std::optional<SelTextPosition>& anchor() const { return m_anchor; }
    const std::optional<SelTextPosition>& focus() const { return m_focus; }
    void setAnchor(std::optional<SelTextPosition> p) { m_anchor = p; }
    void setFocus(std::optional<SelTextPosition> p) { m_focus = p; }
    void clearSelection() { m_anchor.reset(), m_focus.reset(); }
    // Both ends set and apart.
    bool hasSelection() const { return m_anchor && m_focus && *m_anchor != *m_focus; }

    // The text position under a point, or the nearest one; none without items.
    std::optional<SelTextPosition> position(QPointF p) const;
    // Each leaves the selection as it was when there is nothing to select there.
    void selectWord(QPointF p);
    void selectLine(QPointF p);
    void selectAll();

    QString selectedText() const;
    QString allText() const;
    // One rectangle per line of the selection, in the items' bands, cut at
    // their right limits; slivers under 0.01 px are left out.
    std::vector<QRectF> selectionRects() const;

    // Reading order: items are grouped into rows (an item joins the row whose
    // band it overlaps by more than half the smaller height), rows go top to
    // bottom, each row left to right; ties keep the given order.
    static std::vector<SelTextItem> sortedByReadingOrder(std::vector<SelTextItem> items);
    // Joins pieces of items: within one block with a space, directly after a
    // Chinese or Japanese character, or dropping a trailing "-"; a new block
    // (or an item of none) starts a new line.
    static QString joinPieces(const std::vector<std::pair<const SelTextItem*, QString>>& pieces);

    // The recognised lines of a picture; the font (its family) gives the
    // characters' relative widths.
    static SelTextLayer fromOCR(const std::vector<TextBlock>& blocks, const QFont& font = ocrFont());
    // The translations exactly as the renderer drew them over `base` (the
    // picture they were drawn over: long lines run on into its free room).
    static SelTextLayer fromTranslation(const std::vector<ImageRenderer::RenderBlock>& blocks,
                                        const QImage& base = QImage());
    static QFont ocrFont();

private:
    std::vector<SelTextItem> m_items;
    std::optional<SelTextPosition> m_anchor;
    std::optional<SelTextPosition> m_focus;
};

// Ties a layer to the overlay view: the selection in view points when the
// layer was made (Qt's space, origin top left, y down) and the layer's pixels
// per point.
struct SelTextGeometry {
    QRectF selection;
    qreal scale = 1;

    QPointF toLayer(QPointF viewPt) const
    {
        return {(viewPt.x() - selection.left()) * scale, (selection.bottom() - viewPt.y()) * scale};
    }
    QRectF toView(const QRectF& layerRect) const
    {
        return {selection.left() + layerRect.left() / scale, selection.bottom() - layerRect.bottom() / scale,
                layerRect.width() / scale, layerRect.height() / scale};
    }
};

}  // namespace klipo
