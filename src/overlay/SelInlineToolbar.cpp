#include "overlay/SelInlineToolbar.h"

#include "app/HUDButton.h"
#include "app/HUDStyle.h"
#include "overlay/SelWidgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace klipo {

namespace {

struct TranslatedButton {
    SelTranslatedAction action;
    const char16_t* title;
    int width;
    bool emphasized;
};

// The filled button is the one Return presses: on a translated result
// Return copies the translated picture.
constexpr TranslatedButton kTranslatedButtons[] = {
    {SelTranslatedAction::copyText, u"复制译文", 68, false}, {SelTranslatedAction::revert, u"还原", 46, false},
    {SelTranslatedAction::pin, u"钉屏", 46, false},          {SelTranslatedAction::save, u"保存", 46, false},
    {SelTranslatedAction::copy, u"复制", 46, true},          {SelTranslatedAction::close, u"关闭", 46, false},
};

QHBoxLayout* makeRowLayout(QWidget* row)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(4);
    layout->setAlignment(Qt::AlignVCenter);
    return layout;
}

void markActive(HUDButton* button, bool active) { SelWidgets::setActive(button, active); }

void setEnabledAlpha(HUDButton* widget, bool enabled)
{
    widget->setEnabled(enabled);
    SelWidgets::setAlpha(widget, enabled ? 1.0 : 0.4);
}

QString copyTitle(bool hasSelection, const QString& without)
{
    return hasSelection ? QStringLiteral("复制所选") : without;
}

}  // namespace

// --- text-select box ---

SelTextToolBox::SelTextToolBox(HUDButton* button, QWidget* parent)
    : QWidget(parent), m_button(button), m_spinner(new SelSpinner(this))
{
    setFixedSize(30, 28);
    m_button->setParent(this);
    m_button->move(0, 0);
    m_spinner->move((width() - m_spinner->width()) / 2, (height() - m_spinner->height()) / 2);
    m_spinner->hide();
}

void SelTextToolBox::setWantsEnabled(bool wants)
{
    m_wantsEnabled = wants;
    refresh();
}

void SelTextToolBox::setLoading(bool loading)
{
    m_button->setVisible(!loading);
    m_spinner->setVisible(loading);
    m_spinner->setAnimating(loading);
    refresh();
}

void SelTextToolBox::refresh()
{
    m_button->setEnabled(m_wantsEnabled && m_spinner->isHidden());
    SelWidgets::setAlpha(m_button, m_wantsEnabled ? 1.0 : 0.4);
}

// --- toolbar ---

const QList<AnnoTool>& SelInlineToolbar::tools()
{
    static const QList<AnnoTool> list{AnnoTool::rectangle, AnnoTool::arrow, AnnoTool::mosaic, AnnoTool::highlight,
                                      AnnoTool::text,      AnnoTool::pen,   AnnoTool::number};
    return list;
}

const QList<SelAction>& SelInlineToolbar::actions()
{
    static const QList<SelAction> list{SelAction::translate, SelAction::pin, SelAction::save, SelAction::copy,
                                       SelAction::cancel};
    return list;
}

SelInlineToolbar::SelInlineToolbar(QWidget* parent) : QWidget(parent), m_normalRow(new QWidget(this))
{
    HUDStyle::installBackground(this, HUDBlending::withinWindow);
    m_outer = new QVBoxLayout(this);
    m_outer->setContentsMargins(0, 0, 0, 0);
    m_outer->setSizeConstraint(QLayout::SetFixedSize);

    QHBoxLayout* row = makeRowLayout(m_normalRow);
    for (AnnoTool tool : tools()) {
        HUDButton* button =
            SelWidgets::makeIconButton(AnnoTools::symbolName(tool), AnnoTools::title(tool), AnnoTools::title(tool));
        connect(button, &QPushButton::clicked, this, [this, tool] {
            if (onToolTapped) onToolTapped(tool);
        });
        m_toolButtons.insert(tool, button);
        row->addWidget(button);
    }
    SelWidgets::addSeparator(row);
    row->addWidget(makeTextSelectBox());
    SelWidgets::addSeparator(row);

    m_undoButton = SelWidgets::makeIconButton(QStringLiteral("arrow.uturn.backward"), QStringLiteral("撤销"),
                                              QStringLiteral("撤销（Ctrl+Z）"));
    connect(m_undoButton, &QPushButton::clicked, this, [this] {
        if (onUndo) onUndo();
    });
    row->addWidget(m_undoButton);
    SelWidgets::addSeparator(row);

    m_copySelectedButton = SelWidgets::makeTextButton(QStringLiteral("复制文本"), true, 68);
    connect(m_copySelectedButton, &QPushButton::clicked, this, [this] {
        if (onCopySelectedText) onCopySelectedText();
    });
    m_copySelectedButton->hide();
    row->addWidget(m_copySelectedButton);

    for (SelAction action : actions()) {
        HUDButton* button = SelWidgets::makeTextButton(selActionTitle(action), action == SelAction::translate, 46);
        connect(button, &QPushButton::clicked, this, [this, action] {
            if (onAction) onAction(action);
        });
        m_actionButtons.append(button);
        row->addWidget(button);
    }
    setEnabledAlpha(m_undoButton, false);
    m_outer->addWidget(m_normalRow);
}

void SelInlineToolbar::setPrimaryAction(SelAction action)
{
    for (SelAction each : actions()) SelWidgets::setEmphasized(actionButton(each), each == action);
}

HUDButton* SelInlineToolbar::actionButton(SelAction action) const
{
    const auto i = actions().indexOf(action);
    return i < 0 ? nullptr : m_actionButtons.value(i);
}

SelTextToolBox* SelInlineToolbar::makeTextSelectBox()
{
    HUDButton* button =
        SelWidgets::makeIconButton(QStringLiteral("text.cursor"), QStringLiteral("选字"),
                                   QStringLiteral("选择文本（在图上用鼠标划字，只复制选中的部分）"));
    connect(button, &QPushButton::clicked, this, [this] {
        if (onTextSelectTapped) onTextSelectTapped();
    });
    auto* box = new SelTextToolBox(button);
    m_textSelectBoxes.append(box);
    return box;
}

QWidget* SelInlineToolbar::ensureTranslatedRow()
{
    if (m_translatedRow) return m_translatedRow;
    m_translatedRow = new QWidget(this);
    m_translatedRow->hide();
    QHBoxLayout* row = makeRowLayout(m_translatedRow);
    row->addWidget(makeTextSelectBox());
    SelWidgets::addSeparator(row);
    for (const TranslatedButton& b : kTranslatedButtons) {
        if (b.action == SelTranslatedAction::pin) SelWidgets::addSeparator(row);
        HUDButton* button = SelWidgets::makeTextButton(QString::fromUtf16(b.title), b.emphasized, b.width);
        const SelTranslatedAction action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] {
            if (onTranslatedAction) onTranslatedAction(action);
        });
        if (action == SelTranslatedAction::copyText) m_copyTextButton = button;
        row->addWidget(button);
    }
    return m_translatedRow;
}

void SelInlineToolbar::showRow(QWidget* row)
{
    for (QWidget* other : {m_normalRow, m_translatedRow}) {
        if (!other || other == row) continue;
        m_outer->removeWidget(other);
        other->hide();
    }
    if (m_outer->indexOf(row) < 0) m_outer->addWidget(row);
    row->show();
    updateGeometry();
    adjustSize();
}

void SelInlineToolbar::setMode(Mode mode)
{
    if (mode == m_mode) return;
    m_mode = mode;
    const bool normal = mode == Mode::normal;
    for (HUDButton* b : std::as_const(m_toolButtons)) setEnabledAlpha(b, normal);
    for (HUDButton* b : std::as_const(m_actionButtons)) setEnabledAlpha(b, normal);
    setEnabledAlpha(m_copySelectedButton, normal);
    for (SelTextToolBox* box : std::as_const(m_textSelectBoxes)) box->setWantsEnabled(mode != Mode::translating);
    switch (mode) {
    case Mode::translating:
        setEnabledAlpha(m_undoButton, false);
        showRow(m_normalRow);
        break;
    case Mode::normal: showRow(m_normalRow); break;
    case Mode::translated: {
        showRow(ensureTranslatedRow());
        break;
    }
    }
}

void SelInlineToolbar::setActiveTool(std::optional<AnnoTool> tool)
{
    for (auto it = m_toolButtons.cbegin(); it != m_toolButtons.cend(); ++it)
        markActive(it.value(), tool && *tool == it.key());
}

void SelInlineToolbar::setTextSelectActive(bool active)
{
    for (SelTextToolBox* box : std::as_const(m_textSelectBoxes)) markActive(box->button(), active);
    m_copySelectedButton->setVisible(active);
    adjustSize();
}

void SelInlineToolbar::setUndoEnabled(bool enabled) { setEnabledAlpha(m_undoButton, enabled); }

void SelInlineToolbar::setTextSelectLoading(bool loading)
{
    for (SelTextToolBox* box : std::as_const(m_textSelectBoxes)) box->setLoading(loading);
}

void SelInlineToolbar::updateCopyTitles(bool hasSelection)
{
    m_copySelectedButton->setText(copyTitle(hasSelection, QStringLiteral("复制文本")));
    if (m_copyTextButton) m_copyTextButton->setText(copyTitle(hasSelection, QStringLiteral("复制译文")));
}

void SelInlineToolbar::mousePressEvent(QMouseEvent* event) { event->accept(); }

}  // namespace klipo
