#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"
#include "annotation/window/AnnoBarView.h"

#include <QColor>
#include <QList>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QSlider;

namespace klipo {

class AnnoColorWell;
class AnnoSwatchButton;

// The style bar of the annotation window: colour (eight swatches and a custom
// colour), line width (the grain for mosaic), font size and fill, each group
// shown only for the tools that use it. It shows one style and reports each
// edit the user makes as the whole edited style.
class AnnoStyleBar : public AnnoBarView {
public:
    // The ranges of the sliders: those a stored style may hold.
    static constexpr int minLineWidth = 1;
    static constexpr int maxLineWidth = 40;
    static constexpr int minFontSize = 8;
    static constexpr int maxFontSize = 200;

    struct Groups {
        bool color = false;
        bool width = false;
        bool font = false;
        bool fill = false;
    };

    explicit AnnoStyleBar(QWidget* parent = nullptr);

    // The swatch colours, sRGB and opaque: red, orange, yellow, green, blue,
    // purple, near-black, white.
    static const QList<QColor>& swatchColors();
    // The first swatch whose red, green and blue each lie within 0.02 of the
    // colour's (alpha is not compared); none otherwise.
    static std::optional<int> matchingSwatch(const QColor& color);
    static Groups groupsFor(AnnoTool tool);

    // Shows the style with the groups of the tool.
    void showStyle(const AnnoStyle& style, AnnoTool tool);

    std::function<void(const AnnoStyle&)> onStyleEdited;
    // Asks the user for a colour, starting at `initial`; `done` gets the choice
    // (never called when the user cancels).
    std::function<void(const QColor& initial, std::function<void(const QColor&)> done)> chooseColor;

    QWidget* colorGroup() const { return m_colorGroup; }
    QWidget* widthGroup() const { return m_widthGroup; }
    QWidget* fontGroup() const { return m_fontGroup; }
    QWidget* fillGroup() const { return m_fillGroup; }
    QLabel* widthTitle() const { return m_widthTitle; }
    QSlider* widthSlider() const { return m_widthSlider; }
    QLabel* widthValue() const { return m_widthValue; }
    QSlider* fontSlider() const { return m_fontSlider; }
    QLabel* fontValue() const { return m_fontValue; }
    QCheckBox* fillCheckbox() const { return m_fill; }
    const QList<AnnoSwatchButton*>& swatches() const { return m_swatches; }
    AnnoColorWell* colorWell() const { return m_well; }

private:
    void edit(const std::function<void(AnnoStyle&)>& change);

    AnnoStyle m_style;
    QWidget* m_colorGroup = nullptr;
    QWidget* m_widthGroup = nullptr;
    QWidget* m_fontGroup = nullptr;
    QWidget* m_fillGroup = nullptr;
    QList<AnnoSwatchButton*> m_swatches;
    AnnoColorWell* m_well = nullptr;
    QLabel* m_widthTitle = nullptr;
    QSlider* m_widthSlider = nullptr;
    QLabel* m_widthValue = nullptr;
    QSlider* m_fontSlider = nullptr;
    QLabel* m_fontValue = nullptr;
    QCheckBox* m_fill = nullptr;
};

}  // namespace klipo
