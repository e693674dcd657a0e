#include "recording/RecControlBarPanel.h"

#include "app/HUDBarButton.h"
#include "app/HUDStyle.h"
#include "recording/RecBlinkDot.h"

#include <QHBoxLayout>
#include <QLabel>

#include <cmath>

namespace klipo {

namespace {
const QColor kSystemRed(255, 59, 48);
}

RecControlBarPanel::RecControlBarPanel() : FloatingPanel(platform::PanelFocus::never)
{
    auto* content = new QWidget;
    HUDStyle::installBackground(content, HUDBlending::behindWindow);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);

    m_dot = new RecBlinkDot;
    row->addWidget(m_dot, 0, Qt::AlignVCenter);

    m_timeLabel = new QLabel(QStringLiteral("00:00"));
    QFont font = m_timeLabel->font();
    font.setPixelSize(13);
    font.setWeight(QFont::Medium);
    m_timeLabel->setFont(font);
    QPalette palette = m_timeLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, 217));
    m_timeLabel->setPalette(palette);
    row->addWidget(m_timeLabel, 0, Qt::AlignVCenter);

    m_stopButton = new HUDBarButton(QStringLiteral("■ 停止"), HUDControlSize::small);
    m_stopButton->setContentTint(kSystemRed);
    QObject::connect(m_stopButton, &QPushButton::clicked, this, [this] { stopTapped(); });
    row->addWidget(m_stopButton, 0, Qt::AlignVCenter);

    setContentView(content);
    setCornerRadius(10);
    setMovableByBackground(true);
    fit();
    m_dot->startBlinking();
}

QString RecControlBarPanel::clockText(double seconds)
{
    const long long whole = std::isfinite(seconds) && seconds >= 1 ? (long long)std::trunc(std::min(seconds, 1e12)) : 0;
    return QString::asprintf("%02lld:%02lld", whole / 60, whole % 60);
}

void RecControlBarPanel::setElapsed(double seconds)
{
    const QString text = clockText(seconds);
    if (m_timeLabel->text() == text) return;
    m_timeLabel->setText(text);
    fit();
}

void RecControlBarPanel::setStarting(bool starting)
{
    m_timeLabel->setText(starting ? QStringLiteral("准备中…") : clockText(0));
    // The window's name says it too (screen readers, window lists): the
    // recording bar proper is the program's plain "KlipoVersa".
    setWindowTitle(starting ? QStringLiteral("KlipoVersa 录屏准备中") : QStringLiteral("KlipoVersa"));
    if (starting)
        m_dot->stopBlinking();
    else
        m_dot->startBlinking();
    fit();
}

platform::PanelPlacement RecControlBarPanel::place(const QRectF& nearGlobal, const QScreen* screen)
{
    return placeNear(nearGlobal, screen, false);
}

void RecControlBarPanel::stopTapped()
{
    if (auto call = onStop) call();
}

}  // namespace klipo
