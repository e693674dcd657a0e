#include "preferences/PrefsAnnotationTab.h"

#include "annotation/style/AnnoStyleStore.h"
#include "app/PrefsAnnotationPalette.h"
#include "preferences/AnnoStylePreview.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

namespace klipo {

namespace {

std::optional<QColor> runColorDialog(QWidget* parent, const QColor& current)
{
    const QColor chosen = QColorDialog::getColor(current, parent, QStringLiteral("选择颜色"));
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}

QSlider* makeSlider(int min, int max, QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(min, max);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setMinimumWidth(150);
    return slider;
}

QLabel* makeValueLabel(QWidget* parent)
{
    QLabel* label = PrefsForm::note(QString(), parent);
    label->setWordWrap(false);
    label->setFixedWidth(46);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QString pixelText(double value) { return QStringLiteral("%1 px").arg(static_cast<long long>(value)); }

QIcon colorIcon(const QColor& color)
{
    QPixmap pixmap(28, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.setBrush(color);
    p.drawRoundedRect(QRectF(0.5, 0.5, 27, 15), 3, 3);
    return QIcon(pixmap);
}

}  // namespace

const QList<AnnoTool>& PrefsAnnotationTab::editableTools()
{
    static const QList<AnnoTool> tools = [] {
        QList<AnnoTool> list;
        for (AnnoTool tool : AnnoTools::toolbarOrder())
            if (tool != AnnoTool::select && tool != AnnoTool::crop) list.append(tool);
        return list;
    }();
    return tools;
}

std::function<std::optional<QColor>(QWidget*, const QColor&)>& PrefsAnnotationTab::colorChooser()
{
    static std::function<std::optional<QColor>(QWidget*, const QColor&)> chooser = runColorDialog;
    return chooser;
}

PrefsAnnotationTab::PrefsAnnotationTab(AnnoTool tool, const AnnoStyle& style, QWidget* parent)
    : PrefsForm::Page(parent), m_tool(tool), m_style(style)
{
    PrefsForm::Section* tools = addSection(QStringLiteral("工具"));
    m_toolPicker = new QComboBox(tools);
    for (AnnoTool t : editableTools()) m_toolPicker->addItem(AnnoTools::title(t), AnnoTools::rawValue(t));
    m_toolPicker->setCurrentIndex(int(editableTools().indexOf(tool)));
    connect(m_toolPicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) setTool(editableTools().at(index));
    });
    tools->addRow(QStringLiteral("设置哪个工具："), m_toolPicker);

    m_styleSection = addSection(QStringLiteral("默认样式"));
    m_colorRow = new QWidget(m_styleSection);
    auto* colors = new QHBoxLayout(m_colorRow);
    colors->setContentsMargins(0, 0, 0, 0);
    colors->setSpacing(6);
    for (const QColor& color : PrefsAnnotationPalette::colors()) {
        auto* swatch = new ColorSwatch(color, m_colorRow);
        swatch->setToolTip(color.name());
        connect(swatch, &QAbstractButton::clicked, this, [this, swatch] {
            AnnoStyle next = m_style;
            const QColor c = swatch->color().toRgb();
            next.red = c.redF();
            next.green = c.greenF();
            next.blue = c.blueF();
            next.alpha = c.alphaF();
            setStyle(next);
        });
        m_swatches.append(swatch);
        colors->addWidget(swatch);
    }
    m_colorButton = new QToolButton(m_colorRow);
    m_colorButton->setToolTip(QStringLiteral("其他颜色…"));
    m_colorButton->setIconSize(QSize(28, 16));
    connect(m_colorButton, &QToolButton::clicked, this, [this] {
        if (!colorChooser()) return;
        const std::optional<QColor> picked = colorChooser()(this, m_style.color());
        if (!picked) return;
        AnnoStyle next = m_style;
        next.apply(*picked);  // a colour that cannot be converted counts as pure red
        next.alpha = 1.0;
        setStyle(next);
    });
    colors->addWidget(m_colorButton);
    colors->addStretch(1);
    m_styleSection->addRow(QStringLiteral("颜色："), m_colorRow);

    m_widthRow = new QWidget(m_styleSection);
    auto* widthLayout = new QHBoxLayout(m_widthRow);
    widthLayout->setContentsMargins(0, 0, 0, 0);
    m_width = makeSlider(1, 40, m_widthRow);
    m_widthValue = makeValueLabel(m_widthRow);
    widthLayout->addWidget(m_width, 1);
    widthLayout->addWidget(m_widthValue);
    connect(m_width, &QSlider::valueChanged, this, [this](int value) {
        AnnoStyle next = m_style;
        next.lineWidth = value;
        setStyle(next);
    });
    m_styleSection->addRow(QStringLiteral("线宽："), m_widthRow);

    m_fontRow = new QWidget(m_styleSection);
    auto* fontLayout = new QHBoxLayout(m_fontRow);
    fontLayout->setContentsMargins(0, 0, 0, 0);
    m_font = makeSlider(8, 120, m_fontRow);
    m_fontValue = makeValueLabel(m_fontRow);
    fontLayout->addWidget(m_font, 1);
    fontLayout->addWidget(m_fontValue);
    connect(m_font, &QSlider::valueChanged, this, [this](int value) {
        AnnoStyle next = m_style;
        next.fontSize = value;
        setStyle(next);
    });
    m_styleSection->addRow(QStringLiteral("字号："), m_fontRow);

    m_fill = new QCheckBox(QStringLiteral("默认填充（而不是只描边）"), m_styleSection);
    connect(m_fill, &QCheckBox::toggled, this, [this](bool on) {
        AnnoStyle next = m_style;
        next.filled = on;
        setStyle(next);
    });
    m_styleSection->addRow(m_fill);

    PrefsForm::Section* sample = addSection(QStringLiteral("预览"));
    m_preview = new AnnoStylePreview(sample);
    sample->addRow(m_preview);
    sample->addNote(QStringLiteral("数值以原图像素为准：在高分屏截图上看起来会比这里的预览更细。"));

    PrefsForm::Section* resets = addSection();
    m_resetTool = new QPushButton(QStringLiteral("恢复本工具的出厂样式"), resets);
    connect(m_resetTool, &QPushButton::clicked, this, [this] { setStyle(AnnoStyleStore::factoryStyle(m_tool)); });
    m_resetAll = new QPushButton(QStringLiteral("恢复全部工具的出厂样式"), resets);
    PrefsForm::makeDestructive(m_resetAll);
    connect(m_resetAll, &QPushButton::clicked, this, [this] {
        for (AnnoTool t : AnnoTools::allCases()) AnnoStyleStore::save(AnnoStyleStore::factoryStyle(t), t);
        setStyle(AnnoStyleStore::style(m_tool));
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_resetTool);
    buttons->addWidget(m_resetAll);
    buttons->addStretch(1);
    resets->addRow(buttons);
    finish();
    refresh();
}

void PrefsAnnotationTab::setTool(AnnoTool tool)
{
    m_tool = tool;
    {
        const QSignalBlocker quiet(m_toolPicker);
        m_toolPicker->setCurrentIndex(int(editableTools().indexOf(tool)));
    }
    // The tool's own stored style; a change is stored under the new tool.
    const AnnoStyle loaded = AnnoStyleStore::style(tool);
    if (loaded != m_style)
        setStyle(loaded);
    else
        refresh();
}

void PrefsAnnotationTab::setStyle(const AnnoStyle& style)
{
    if (style == m_style) return;
    m_style = style;
    AnnoStyleStore::save(m_style, m_tool);
    refresh();
}

bool PrefsAnnotationTab::isRowShown(QWidget* field) const
{
    QWidget* row = field;
    while (row && row->parentWidget() != m_styleSection->box()) row = row->parentWidget();
    return row && m_styleSection->form()->isRowVisible(row);
}

QString PrefsAnnotationTab::widthLabelText() const
{
    auto* label = qobject_cast<QLabel*>(m_styleSection->form()->labelForField(m_widthRow));
    return label ? label->text() : QString();
}

void PrefsAnnotationTab::refresh()
{
    const bool colored = m_tool != AnnoTool::select && m_tool != AnnoTool::mosaic && m_tool != AnnoTool::crop;
    const bool widthed = m_tool == AnnoTool::rectangle || m_tool == AnnoTool::ellipse || m_tool == AnnoTool::line ||
                         m_tool == AnnoTool::arrow || m_tool == AnnoTool::mosaic || m_tool == AnnoTool::pen;
    QFormLayout* form = m_styleSection->form();
    form->setRowVisible(m_colorRow, colored);
    form->setRowVisible(m_widthRow, widthed);
    form->setRowVisible(m_fontRow, AnnoTools::usesFontSize(m_tool));
    form->setRowVisible(m_fill, AnnoTools::usesFill(m_tool));
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(m_widthRow)))
        label->setText(m_tool == AnnoTool::mosaic ? QStringLiteral("颗粒大小：") : QStringLiteral("线宽："));

    for (ColorSwatch* swatch : m_swatches) swatch->setSelected(swatch->matches(m_style));
    m_colorButton->setIcon(colorIcon(m_style.color()));
    {
        const QSignalBlocker a(m_width), b(m_font), c(m_fill);
        m_width->setValue(int(m_style.lineWidth));
        m_font->setValue(int(m_style.fontSize));
        m_fill->setChecked(m_style.filled);
    }
    m_widthValue->setText(pixelText(m_style.lineWidth));
    m_fontValue->setText(pixelText(m_style.fontSize));
    m_preview->display(m_tool, m_style);
}

}  // namespace klipo
