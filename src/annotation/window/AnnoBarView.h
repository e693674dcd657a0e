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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Hairline m_hairline;
};

}  // namespace klipo
