#include "annotation/window/AnnoStyleBar.h"

#include "annotation/window/AnnoColorControls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>

namespace klipo {

namespace {

QLabel* caption(const QString& text)
{
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setPointSizeF(9);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);  // the secondary text colour of the palette
    return label;
}

QWidget* group(const QList<QWidget*>& parts)
{
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    for (QWidget* part : parts) row->addWidget(part);
    return box;
}

QSlider* slider(int minimum, int maximum)
{
    auto* s = new QSlider(Qt::Horizontal);
    s->setRange(minimum, maximum);
    s->setFixedWidth(96);
    s->setFocusPolicy(Qt::NoFocus);
    s->setTracking(true);
    return s;
}

QString wholeNumber(double value) { return QString::number(std::isfinite(value) ? std::lround(value) : 0); }

}  // namespace

const QList<QColor>& AnnoStyleBar::swatchColors()
{
    static const QList<QColor> colors{
        QColor::fromRgbF(0.94f, 0.23f, 0.21f), QColor::fromRgbF(1.0f, 0.58f, 0.0f),
        QColor::fromRgbF(1.0f, 0.85f, 0.15f),  QColor::fromRgbF(0.2f, 0.75f, 0.35f),
        QColor::fromRgbF(0.1f, 0.52f, 0.96f),  QColor::fromRgbF(0.6f, 0.3f, 0.9f),
        QColor::fromRgbF(0.1f, 0.1f, 0.1f),    QColor::fromRgbF(1.0f, 1.0f, 1.0f),
    };
    return colors;
}

std::optional<int> AnnoStyleBar::matchingSwatch(const QColor& color)
{
    const QColor c = color.toRgb();
    if (!c.isValid()) return std::nullopt;
    const QList<QColor>& colors = swatchColors();
    for (int i = 0; i < colors.size(); ++i) {
        const QColor& s = colors[i];
        if (std::abs(s.redF() - c.redF()) < 0.02 && std::abs(s.greenF() - c.greenF()) < 0.02 &&
            std::abs(s.blueF() - c.blueF()) < 0.02)
            return i;
    }
    return std::nullopt;
}

AnnoStyleBar::Groups AnnoStyleBar::groupsFor(AnnoTool tool)
{
    Groups g;
    g.color = tool != AnnoTool::select && tool != AnnoTool::mosaic && tool != AnnoTool::crop;
    switch (tool) {
    case AnnoTool::rectangle:
    case AnnoTool::ellipse:
    case AnnoTool::line:
    case AnnoTool::arrow:
    case AnnoTool::mosaic:
    case AnnoTool::pen: g.width = true; break;
    default: break;
    }
    g.font = AnnoTools::usesFontSize(tool);
    g.fill = AnnoTools::usesFill(tool);
    return g;
}

AnnoStyleBar::AnnoStyleBar(QWidget* parent) : AnnoBarView(Hairline::top, parent)
{
    setFixedHeight(44);

    QList<QWidget*> colorParts{caption(QStringLiteral("颜色"))};
    for (const QColor& color : swatchColors()) {
        auto* swatch = new AnnoSwatchButton(color);
        connect(swatch, &QAbstractButton::clicked, this, [this, color] { edit([&](AnnoStyle& s) { s.apply(color); }); });
        m_swatches.append(swatch);
        colorParts.append(swatch);
    }
    m_well = new AnnoColorWell;
    connect(m_well, &QAbstractButton::clicked, this, [this] {
        if (!chooseColor) return;
        chooseColor(m_style.color(), [this](const QColor& color) { edit([&](AnnoStyle& s) { s.apply(color); }); });
    });
    colorParts.append(m_well);
    m_colorGroup = group(colorParts);

    m_widthTitle = caption(QStringLiteral("粗细"));
    m_widthSlider = slider(minLineWidth, maxLineWidth);
    m_widthValue = caption(QStringLiteral("4"));
    m_widthValue->setFixedWidth(22);
    connect(m_widthSlider, &QSlider::valueChanged, this,
            [this](int value) { edit([value](AnnoStyle& s) { s.lineWidth = value; }); });
    m_widthGroup = group({m_widthTitle, m_widthSlider, m_widthValue});

    m_fontSlider = slider(minFontSize, maxFontSize);
    m_fontValue = caption(QStringLiteral("28"));
    m_fontValue->setFixedWidth(26);
    connect(m_fontSlider, &QSlider::valueChanged, this,
            [this](int value) { edit([value](AnnoStyle& s) { s.fontSize = value; }); });
    m_fontGroup = group({caption(QStringLiteral("字号")), m_fontSlider, m_fontValue});

    m_fill = new QCheckBox(QStringLiteral("填充"));
    m_fill->setFocusPolicy(Qt::NoFocus);
    connect(m_fill, &QCheckBox::clicked, this, [this](bool on) { edit([on](AnnoStyle& s) { s.filled = on; }); });
    m_fillGroup = group({m_fill});

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(14);
    for (QWidget* g : {m_colorGroup, m_widthGroup, m_fontGroup, m_fillGroup}) row->addWidget(g);
    row->addStretch(1);
    showStyle(m_style, AnnoTool::rectangle);
}

void AnnoStyleBar::showStyle(const AnnoStyle& style, AnnoTool tool)
{
    m_style = style;
    const Groups groups = groupsFor(tool);
    m_colorGroup->setVisible(groups.color);
    m_widthGroup->setVisible(groups.width);
    m_fontGroup->setVisible(groups.font);
    m_fillGroup->setVisible(groups.fill);

    const QSignalBlocker blockWidth(m_widthSlider);
    const QSignalBlocker blockFont(m_fontSlider);
    const QSignalBlocker blockFill(m_fill);
    m_well->setColor(style.color());
    m_widthSlider->setValue(std::isfinite(style.lineWidth) ? int(std::lround(style.lineWidth)) : minLineWidth);
    m_widthValue->setText(wholeNumber(style.lineWidth));
    m_fontSlider->setValue(std::isfinite(style.fontSize) ? int(std::lround(style.fontSize)) : minFontSize);
    m_fontValue->setText(wholeNumber(style.fontSize));
    m_fill->setChecked(style.filled);
    m_widthTitle->setText(tool == AnnoTool::mosaic ? QStringLiteral("颗粒") : QStringLiteral("粗细"));

    const std::optional<int> marked = matchingSwatch(style.color());
    for (int i = 0; i < m_swatches.size(); ++i) m_swatches[i]->setMarked(marked == i);
}

void AnnoStyleBar::edit(const std::function<void(AnnoStyle&)>& change)
{
    AnnoStyle edited = m_style;
    change(edited);
    m_style = edited;
    if (onStyleEdited) onStyleEdited(edited);
}

}  // namespace klipo
