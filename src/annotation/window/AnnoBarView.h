#pragma once

#include <QWidget>

namespace klipo {

// A strip of the annotation window: the window colour of the palette with a
// hairline on the edge that faces the canvas (below the tool bar, above the
// style bar and the bottom bar).
class AnnoBarView : public QWidget {
public:
    enum class Hairline { top, bottom };
    explicit AnnoBarView(Hairline hairline, QWidget* parent = nullptr);

    // The colour of the bars' hairlines and separators: the text colour,
    // faint, so it reads on light and dark palettes.
    static QColor hairlineColor(const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Hairline m_hairline;
};

}  // namespace klipo
