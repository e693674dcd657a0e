#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"
#include "preferences/PrefsForm.h"

#include <QColor>
#include <QList>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace klipo {

class AnnoStylePreview;
class ColorSwatch;

// The style each annotation tool starts with: colour, line width (block size
// for the mosaic), font size and fill. Every change is stored at once for the
// tool being edited; a live sample shows it.
class PrefsAnnotationTab : public PrefsForm::Page {
public:
    PrefsAnnotationTab(AnnoTool tool, const AnnoStyle& style, QWidget* parent = nullptr);

    // The tools whose style can be set: all but select and crop, in toolbar order.
    static const QList<AnnoTool>& editableTools();

    // Asks for a colour starting from `current`; none when cancelled. Tests
    // replace it; by default the colour dialog (without opacity).
    static std::function<std::optional<QColor>(QWidget* parent, const QColor& current)>& colorChooser();

    AnnoTool tool() const { return m_tool; }
    const AnnoStyle& style() const { return m_style; }
    void setTool(AnnoTool tool);
    // Shows and stores the style for the tool being edited (nothing when unchanged).
    void setStyle(const AnnoStyle& style);

    QComboBox* toolPicker() const { return m_toolPicker; }
    const QList<ColorSwatch*>& swatches() const { return m_swatches; }
    QToolButton* colorButton() const { return m_colorButton; }
    QSlider* widthSlider() const { return m_width; }
    QLabel* widthValue() const { return m_widthValue; }
    QSlider* fontSlider() const { return m_font; }
    QLabel* fontValue() const { return m_fontValue; }
    QCheckBox* fillSwitch() const { return m_fill; }
    AnnoStylePreview* preview() const { return m_preview; }
    QPushButton* resetToolButton() const { return m_resetTool; }
    QPushButton* resetAllButton() const { return m_resetAll; }
    // Whether the row of that control shows for the current tool.
    bool isRowShown(QWidget* field) const;
    QString widthLabelText() const;

private:
    void refresh();

    AnnoTool m_tool;
    AnnoStyle m_style;
    PrefsForm::Section* m_styleSection = nullptr;
    QComboBox* m_toolPicker = nullptr;
    QWidget* m_colorRow = nullptr;
    QList<ColorSwatch*> m_swatches;
    QToolButton* m_colorButton = nullptr;
    QWidget* m_widthRow = nullptr;
    QSlider* m_width = nullptr;
    QLabel* m_widthValue = nullptr;
    QWidget* m_fontRow = nullptr;
    QSlider* m_font = nullptr;
    QLabel* m_fontValue = nullptr;
    QCheckBox* m_fill = nullptr;
    AnnoStylePreview* m_preview = nullptr;
    QPushButton* m_resetTool = nullptr;
    QPushButton* m_resetAll = nullptr;
};

}  // namespace klipo
