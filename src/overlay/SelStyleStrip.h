#pragma once

#include "annotation/model/AnnoStyle.h"
#include "annotation/model/AnnoTool.h"

#include <QAbstractButton>
#include <QColor>
#include <QList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QHBoxLayout;

namespace klipo {

class HUDButton;

// One colour swatch of the strip: a 16 point disc with a thin border, or a
// thick one when it matches the current style.
class SelSwatch : public QAbstractButton {
public:
    SelSwatch(const QColor& color, QWidget* parent = nullptr);
    QColor color() const { return m_color; }
    bool isMarked() const { return m_marked; }
    void setMarked(bool marked);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
    bool m_marked = false;
};

// The second small bar while an annotation tool is active: eight colours and
// three size levels, showing only what the tool uses and marking what matches
// the current style. Taps go out through the callbacks; the owner answers
// with a new style and configure().
class SelStyleStrip : public QWidget {
public:
    explicit SelStyleStrip(QWidget* parent = nullptr);

    std::function<void(const QColor&)> onColor;
    std::function<void(int)> onLevel;

    // The colours offered, in order: red, orange, yellow, green, blue, purple,
    // near-black and white (sRGB, opaque).
    static const QList<QColor>& palette();
    // The values behind the three levels, smallest first: font sizes for text
    // and number, line widths for the rest.
    static std::array<double, 3> levelValues(AnnoTool tool);

    void configure(AnnoTool tool, const AnnoStyle& style);

    // What configure() decided, for the owner and tests.
    bool showsColors() const;
    bool showsLevels() const;
    std::optional<int> markedColor() const;  // none when the style's colour is not in the palette
    int markedLevel() const { return m_markedLevel; }
    const QList<SelSwatch*>& colorButtons() const { return m_colorButtons; }
    const QList<HUDButton*>& levelButtons() const { return m_levelButtons; }

    // The level whose value is nearest; the lower one on a tie.
    static int nearestLevel(AnnoTool tool, const AnnoStyle& style);
    // The palette entry whose red, green and blue each lie within 0.02.
    static std::optional<int> matchingColor(const AnnoStyle& style);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_colorSection;
    QWidget* m_levelSection;
    QWidget* m_separator;
    QList<SelSwatch*> m_colorButtons;
    QList<HUDButton*> m_levelButtons;
    std::optional<int> m_markedColor;
    int m_markedLevel = 0;
};

}  // namespace klipo
