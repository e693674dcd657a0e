#include "overlay/SelStyleStrip.h"

#include "annotation/window/AnnoStyleBar.h"
#include "app/HUDButton.h"
#include "app/HUDStyle.h"
#include "overlay/SelWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace klipo {

namespace {

constexpr int kDotDiameters[] = {6, 9, 13};

QIcon dotIcon(int diameter)
{
    QPixmap pixmap(32, 32);  // 16 points at twice the density
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const double origin = (16 - diameter) / 2.0;
    painter.drawEllipse(QRectF(origin, origin, diameter, diameter));
    painter.end();
    return QIcon(pixmap);
}

QHBoxLayout* section(QWidget* widget, int spacing)
{
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->setAlignment(Qt::AlignVCenter);
    return layout;
}

}  // namespace

SelSwatch::SelSwatch(const QColor& color, QWidget* parent) : QAbstractButton(parent), m_color(color)
{
    setFixedSize(16, 16);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void SelSwatch::setMarked(bool marked)
{
    m_marked = marked;
    update();
}

void SelSwatch::paintEvent(QPaintEvent*)
{
    // The border is 2.5 points in the label colour when marked, 1 point at 30 % otherwise.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double border = m_marked ? 2.5 : 1.0;
    const QRectF disc = QRectF(rect()).adjusted(border / 2, border / 2, -border / 2, -border / 2);
    painter.setBrush(isDown() ? m_color.darker(120) : m_color);
    painter.setPen(QPen(m_marked ? SelWidgets::hudLabel() : QColor(255, 255, 255, 77), border));
    painter.drawEllipse(disc);
}

// The annotation tools' own colours (the rectangle's red, the highlight's
// yellow, the near-black), so that a tool's default colour shows as chosen.
const QList<QColor>& SelStyleStrip::palette() { return AnnoStyleBar::swatchColors(); }

std::array<double, 3> SelStyleStrip::levelValues(AnnoTool tool)
{
    if (tool == AnnoTool::mosaic) return {6, 10, 16};
    if (AnnoTools::usesFontSize(tool)) return {20, 28, 40};
    return {2, 4, 8};
}

int SelStyleStrip::nearestLevel(AnnoTool tool, const AnnoStyle& style)
{
    const auto values = levelValues(tool);
    const double current = AnnoTools::usesFontSize(tool) ? style.fontSize : style.lineWidth;
    int best = 0;
    for (int i = 1; i < int(values.size()); ++i)
        if (std::abs(values[i] - current) < std::abs(values[best] - current)) best = i;
    return best;
}

std::optional<int> SelStyleStrip::matchingColor(const AnnoStyle& style)
{
    return AnnoStyleBar::matchingSwatch(style.color());
}

SelStyleStrip::SelStyleStrip(QWidget* parent)
    : QWidget(parent),
      m_colorSection(new QWidget(this)),
      m_levelSection(new QWidget(this)),
      m_separator(HUDStyle::makeSeparator(18, this))
{
    HUDStyle::installBackground(this, HUDBlending::withinWindow);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);
    row->setSizeConstraint(QLayout::SetFixedSize);

    QHBoxLayout* colors = section(m_colorSection, 5);
    for (int i = 0; i < palette().size(); ++i) {
        auto* swatch = new SelSwatch(palette()[i]);
        connect(swatch, &QPushButton::clicked, this, [this, i] {
            if (onColor && i < palette().size()) onColor(palette()[i]);
        });
        m_colorButtons.append(swatch);
        colors->addWidget(swatch);
    }
    row->addWidget(m_colorSection);
    row->addWidget(m_separator);

    QHBoxLayout* levels = section(m_levelSection, 4);
    for (int i = 0; i < 3; ++i) {
        auto* button = new HUDButton;
        button->setCornerRadius(6);
        button->setIcon(dotIcon(kDotDiameters[i]));
        button->setIconSize(QSize(16, 16));
        SelWidgets::setActive(button, false);
        button->setFixedSize(24, 24);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (onLevel) onLevel(i);
        });
        m_levelButtons.append(button);
        levels->addWidget(button);
    }
    row->addWidget(m_levelSection);
}

bool SelStyleStrip::showsColors() const { return !m_colorSection->isHidden(); }
bool SelStyleStrip::showsLevels() const { return !m_levelSection->isHidden(); }
std::optional<int> SelStyleStrip::markedColor() const { return m_markedColor; }

void SelStyleStrip::configure(AnnoTool tool, const AnnoStyle& style)
{
    // What the annotation window's style bar shows for the tool: its colours,
    // and a line width or a font size as levels.
    const AnnoStyleBar::Groups groups = AnnoStyleBar::groupsFor(tool);
    const bool colors = groups.color;
    const bool levels = groups.width || groups.font;
    m_colorSection->setVisible(colors);
    m_levelSection->setVisible(levels);
    m_separator->setVisible(colors && levels);
    if (colors) {
        m_markedColor = matchingColor(style);
        for (int i = 0; i < m_colorButtons.size(); ++i) m_colorButtons[i]->setMarked(m_markedColor == i);
    }
    if (levels) {
        m_markedLevel = nearestLevel(tool, style);
        for (int i = 0; i < m_levelButtons.size(); ++i) SelWidgets::setActive(m_levelButtons[i], i == m_markedLevel);
    }
    adjustSize();
}

void SelStyleStrip::mousePressEvent(QMouseEvent* event) { event->accept(); }

}  // namespace klipo
