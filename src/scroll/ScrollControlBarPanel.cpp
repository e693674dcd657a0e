#include "scroll/ScrollControlBarPanel.h"

#include "app/HUDBarButton.h"
#include "app/HUDStyle.h"

#include <QHBoxLayout>
#include <QLabel>

namespace klipo {

namespace {
const QColor kSystemGreen(52, 199, 89);
const QString kAutoIdle = QStringLiteral("▶ 自动滚动");
const QString kAutoRunning = QStringLiteral("⏸ 停止代滚");

void callIfSet(const std::function<void()>& callback)
{
    // A copy: the callback may take the bar (and so this member) away.
    if (auto call = callback) call();
}
}  // namespace

ScrollControlBarPanel::ScrollControlBarPanel(bool showAutoScroll) : FloatingPanel(platform::PanelFocus::never)
{
    auto* content = new QWidget;
    HUDStyle::installBackground(content, HUDBlending::behindWindow);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);

    m_countLabel = new QLabel(countText(0));
    QFont font = m_countLabel->font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    m_countLabel->setFont(font);
    QPalette palette = m_countLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, 217));
    m_countLabel->setPalette(palette);
    row->addWidget(m_countLabel, 0, Qt::AlignVCenter);

    if (showAutoScroll) {
        m_autoButton = new HUDBarButton(kAutoIdle, HUDControlSize::small);
        QObject::connect(m_autoButton, &QPushButton::clicked, this, [this] { autoTapped(); });
        row->addWidget(m_autoButton, 0, Qt::AlignVCenter);
    }
    m_finishButton = new HUDBarButton(QStringLiteral("✓ 完成"), HUDControlSize::small);
    m_finishButton->setContentTint(kSystemGreen);
    QObject::connect(m_finishButton, &QPushButton::clicked, this, [this] { finishTapped(); });
    row->addWidget(m_finishButton, 0, Qt::AlignVCenter);
    m_cancelButton = new HUDBarButton(QStringLiteral("✕ 取消"), HUDControlSize::small);
    QObject::connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancelTapped(); });
    row->addWidget(m_cancelButton, 0, Qt::AlignVCenter);

    setContentView(content);
    setCornerRadius(10);
    setMovableByBackground(true);
    fit();
}

QString ScrollControlBarPanel::countText(int kept) { return QStringLiteral("已采集 %1 帧 · 你滚动，我拼接").arg(kept); }

void ScrollControlBarPanel::updateCount(int kept)
{
    m_countLabel->setText(countText(kept));
    fit();
}

void ScrollControlBarPanel::setAutoScrolling(bool running)
{
    if (!m_autoButton) return;
    m_autoButton->setText(running ? kAutoRunning : kAutoIdle);
    m_autoButton->updateGeometry();
    fit();
}

platform::PanelPlacement ScrollControlBarPanel::place(const QRectF& nearGlobal, const QScreen* screen)
{
    return placeNear(nearGlobal, screen, true);
}

void ScrollControlBarPanel::finishTapped() { callIfSet(onFinish); }
void ScrollControlBarPanel::cancelTapped() { callIfSet(onCancel); }
void ScrollControlBarPanel::autoTapped() { callIfSet(onToggleAuto); }

}  // namespace klipo
