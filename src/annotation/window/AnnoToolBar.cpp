#include "annotation/window/AnnoToolBar.h"

#include "annotation/icons/AnnoIcons.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QToolButton>

namespace klipo {

namespace {

// A vertical hairline between groups of buttons, 20 points high.
class Separator final : public QWidget {
public:
    Separator() { setFixedSize(9, 20); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(width() / 2, 0, 1, height()), AnnoBarView::hairlineColor(palette()));
    }
};

QWidget* separator() { return new Separator; }

template <typename F>
void call(const F& callback)
{
    if (callback) callback();
}

}  // namespace

AnnoToolBar::AnnoToolBar(QWidget* parent) : AnnoBarView(Hairline::bottom, parent)
{
    setFixedHeight(46);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(3);
    for (const AnnoTool tool : AnnoTools::toolbarOrder()) {
        QToolButton* button = makeButton(AnnoTools::symbolName(tool), AnnoTools::title(tool), AnnoTools::title(tool),
                                         [this, tool] {
                                             if (onToolChosen) onToolChosen(tool);
                                         });
        button->setCheckable(true);
        m_toolButtons.insert(tool, button);
        row->addWidget(button);
        if (tool == AnnoTool::select || tool == AnnoTool::number) row->addWidget(separator());
    }
    row->addWidget(separator());
    m_undo = makeButton(QStringLiteral("arrow.uturn.backward"), QStringLiteral("撤销"), QStringLiteral("撤销（Ctrl+Z）"),
                        [this] { call(onUndo); });
    m_redo = makeButton(QStringLiteral("arrow.uturn.forward"), QStringLiteral("重做"),
                        QStringLiteral("重做（Ctrl+Shift+Z）"), [this] { call(onRedo); });
    m_delete = makeButton(QStringLiteral("trash"), QStringLiteral("删除"), QStringLiteral("删除选中对象（Delete）"),
                          [this] { call(onDelete); });
    m_clear = makeButton(QStringLiteral("xmark.circle"), QStringLiteral("清空"), QStringLiteral("清空全部标注"),
                         [this] { call(onClear); });
    for (QToolButton* button : {m_undo, m_redo, m_delete, m_clear}) row->addWidget(button);
    row->addStretch(1);
    setEditState(false, false, false);
    paintIcons();
}

QToolButton* AnnoToolBar::makeButton(const QString& symbol, const QString& fallback, const QString& tooltip,
                                     std::function<void()> action)
{
    auto* button = new QToolButton(this);
    button->setToolTip(tooltip);
    button->setAccessibleName(tooltip);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumWidth(32);
    button->setFixedHeight(26);
    button->setIconSize(QSize(18, 18));
    if (AnnoIcons::has(symbol)) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        m_symbols.insert(button, symbol);
    } else {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setText(fallback);
    }
    connect(button, &QToolButton::clicked, this, [action = std::move(action)] { action(); });
    return button;
}

void AnnoToolBar::setCurrentTool(AnnoTool tool)
{
    for (auto it = m_toolButtons.cbegin(); it != m_toolButtons.cend(); ++it) it.value()->setChecked(it.key() == tool);
    paintIcons();
}

void AnnoToolBar::setEditState(bool canUndo, bool canRedo, bool canDelete)
{
    m_undo->setEnabled(canUndo);
    m_redo->setEnabled(canRedo);
    m_delete->setEnabled(canDelete);
}

void AnnoToolBar::paintIcons()
{
    const QColor plain = palette().color(QPalette::ButtonText);
    const QColor chosen = palette().color(QPalette::Highlight);
    for (auto it = m_symbols.cbegin(); it != m_symbols.cend(); ++it) {
        const QColor colour = it.key()->isChecked() ? chosen : plain;
        const QString key = it.value() + colour.name(QColor::HexArgb);
        auto icon = m_icons.constFind(key);
        if (icon == m_icons.cend()) icon = m_icons.insert(key, AnnoIcons::icon(it.value(), colour));
        it.key()->setIcon(*icon);
    }
}

void AnnoToolBar::changeEvent(QEvent* event)
{
    AnnoBarView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintIcons();
}

}  // namespace klipo
