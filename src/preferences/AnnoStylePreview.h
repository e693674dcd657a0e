#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"

#include <QAbstractButton>
#include <QWidget>

namespace klipo {

// The live sample of the annotation tab: "Aa 标注" for text and numbers, a
// filled or outlined box for the others.
class AnnoStylePreview : public QWidget {
public:
    explicit AnnoStylePreview(QWidget* parent = nullptr);
    void display(AnnoTool tool, const AnnoStyle& style);

    // What the sample draws, for the tool and style shown.
    enum class Kind { text, filledBox, outlinedBox };
    Kind kind() const;
    double textPointSize() const;  // the font size, at most 44
    double outlineWidth() const;   // the line width, at most 20
    double fillOpacity() const;    // 0.4 for highlight, else 1

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AnnoTool m_tool = AnnoTool::rectangle;
    AnnoStyle m_style;
};

// One colour of the palette: a circle 18 points wide, ringed in the accent
// colour when it is the style's colour.
class ColorSwatch : public QAbstractButton {
public:
    ColorSwatch(const QColor& color, QWidget* parent = nullptr);
    QColor color() const { return m_color; }
    // Selected when red, green and blue each differ from the style's by less than 0.01.
    bool matches(const AnnoStyle& style) const;
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    bool m_selected = false;
};

}  // namespace klipo
