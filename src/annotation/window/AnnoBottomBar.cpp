#include "annotation/window/AnnoBottomBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace klipo {

AnnoBottomBar::AnnoBottomBar(QWidget* parent) : AnnoBarView(Hairline::top, parent)
{
    setFixedHeight(52);
    m_hint = new QLabel(QStringLiteral("Esc 取消 · Ctrl+Z 撤销 · Ctrl+Shift+Z 重做 · Delete 删除选中 · 按住 Shift 画正图形"));
    QFont font = m_hint->font();
    font.setPointSizeF(9);
    m_hint->setFont(font);
    m_hint->setForegroundRole(QPalette::PlaceholderText);
    // A narrow window cuts the hint short rather than pushing the buttons out.
    m_hint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_hint->setMinimumWidth(0);

    m_cancel = makeButton(QStringLiteral("取消"), &onCancel);
    m_copy = makeButton(QStringLiteral("复制到剪贴板"), &onCopy);
    m_save = makeButton(QStringLiteral("保存文件…"), &onSave);
    m_done = makeButton(QStringLiteral("完成"), &onDone);
    m_done->setToolTip(QStringLiteral("完成标注并继续（Ctrl+Enter）"));
    m_done->setAutoDefault(false);
    m_done->setDefault(false);
    paintDoneButton();

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    for (QPushButton* b : {m_cancel, m_copy, m_save, m_done}) buttons->addWidget(b);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(12);
    row->addWidget(m_hint, 1);
    row->addLayout(buttons);
}

QPushButton* AnnoBottomBar::makeButton(const QString& title, std::function<void()>* action)
{
    auto* button = new QPushButton(title, this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [action] {
        if (*action) (*action)();
    });
    return button;
}

void AnnoBottomBar::paintDoneButton()
{
    QPalette p = palette();
    p.setColor(QPalette::Button, p.color(QPalette::Highlight));
    p.setColor(QPalette::ButtonText, p.color(QPalette::HighlightedText));
    m_done->setPalette(p);
}

void AnnoBottomBar::changeEvent(QEvent* event)
{
    AnnoBarView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paintDoneButton();
}

}  // namespace klipo
