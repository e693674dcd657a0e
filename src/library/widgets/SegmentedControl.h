#pragma once

#include "library/widgets/LibraryIcons.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <optional>

namespace klipo {

// A row of equal segments of which exactly one is chosen, each with a text
// or a symbol. A click or the arrow keys choose; currentChanged tells.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    struct Segment {
        QString text;
        std::optional<libraryicons::Symbol> symbol;  // shown instead of the text
        QString toolTip;
    };

    explicit SegmentedControl(const QList<Segment>& segments, QWidget* parent = nullptr);

    int count() const { return int(m_segments.size()); }
    int currentIndex() const { return m_current; }
    QString textAt(int index) const { return m_segments.value(index).text; }
    // Chooses a segment; says so only when the choice changed.
    void setCurrentIndex(int index);
    // The middle of a segment, in this widget's coordinates (tests click there).
    QPoint segmentCenter(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QRectF segmentRect(int index) const;
    int segmentAt(QPoint point) const;

    QList<Segment> m_segments;
    int m_current = 0;
    bool m_keyboardFocus = false;  // the focus ring shows only when Tab brought the focus
};

}  // namespace klipo
