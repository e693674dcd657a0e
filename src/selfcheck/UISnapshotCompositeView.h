#pragma once

#include <QRectF>
#include <QWidget>

namespace klipo {

class SelInlineToolbar;

// A still of the whole capture overlay, 980 by 640 points, for the interface
// snapshots: a mock window under the dimming, a selection with its border,
// handles and size label, the editing key-hint card and the real inline
// toolbar centred under the selection.
class UISnapshotCompositeView : public QWidget {
public:
    UISnapshotCompositeView();

    // The selection, in the view's points (y down).
    static QRectF selectionRect();
    SelInlineToolbar* toolbar() const { return m_toolbar; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SelInlineToolbar* m_toolbar;
};

}  // namespace klipo
