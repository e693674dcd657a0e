#pragma once

#include "overlay/SelTextLayer.h"
#include "platform/text/CancelToken.h"
#include "recognition/OCRService.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace klipo {

class SelOverlayView;

// Draws the selected text's highlight over the selection; lets every click through.
class SelTextHighlightView : public QWidget {
public:
    explicit SelTextHighlightView(QWidget* parent);
    const QList<QRectF>& rects() const { return m_rects; }
    void setRects(QList<QRectF> rects);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QRectF> m_rects;
};

// The text-selecting mode of the view that holds the selection: the
// selection's text, recognised on demand (once per selection) or, after a
// translation, the translated text, selected with the pointer as in a text
// editor and copied. Main thread only; recognition runs in the background.
class SelTextSelecting : public QObject {
public:
    explicit SelTextSelecting(SelOverlayView& view);

    bool isActive() const { return m_active; }
    bool isDragging() const { return m_dragging; }
    // The layer in use (original or translated) and its mapping; null when none.
    SelTextLayer* layer() const { return m_layer; }
    const SelTextGeometry& geometry() const { return m_geometry; }
    // The highlight drawn over the picture (tests read it).
    SelTextHighlightView* highlightView() const { return m_highlight; }

    void toggle();
    void activate();
    void deactivate();
    // The selection moved or was resized: its recognised text is stale.
    void invalidateOriginal();
    // After a translation shows or goes: the layer to select from.
    void syncLayerForState();

    // Pointer input while the mode is on (view points).
    void press(QPointF p, quint64 timestamp, bool doubleClick);
    void drag(QPointF p);
    void release() { m_dragging = false; }
    bool isOverText(QPointF p) const;

    // Ctrl+A: true when there was text to select.
    bool selectAll();
    // Ctrl+C: copies a non-empty selection; false when there is none.
    bool copySelection();
    // The Esc step: true when a selection was cleared.
    bool clearSelection();
    // The toolbar's copy buttons: the selection, else all the text.
    void copyFromToolbar();
    void copyText(const QString& text);

    // "已复制 N 个字符", N counting what a reader sees as characters.
    static QString copiedMessage(const QString& text);

private:
    void startRecognition();
    void recognitionFinished(const OcrOutcome& outcome, const SelTextLayer& layer, const SelTextGeometry& geometry);
    void afterSelectionChanged();
    void updateHighlight();
    int countClick(QPointF p, quint64 timestamp, bool doubleClick);

    SelOverlayView& m_view;
    bool m_active = false;
    bool m_dragging = false;
    SelTextLayer* m_layer = nullptr;
    SelTextGeometry m_geometry;
    std::optional<SelTextLayer> m_original;
    SelTextGeometry m_originalGeometry;
    int m_generation = 0;  // a recognition of an older generation is stale
    platform::CancelToken m_recognition;
    QPointer<SelTextHighlightView> m_highlight;
    // Clicks in a row at one place: 2 selects a word, 3 a line.
    int m_clicks = 0;
    QPointF m_lastClickAt;
    quint64 m_lastClickTime = 0;
};

}  // namespace klipo
