#include "recording/RecOptionsBarPanel.h"

#include "app/HUDBarButton.h"
#include "app/HUDStyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>
#include <array>

namespace klipo {

namespace {
const QColor kSystemRed(255, 59, 48);
constexpr std::array<int, 3> kFrameRates{15, 30, 60};

QFont barFont(QFont font, QFont::Weight weight)
{
    font.setPixelSize(12);
    font.setWeight(weight);
    return font;
}

// A small pop-up of the dark bar: light text on a dark bezel in either
// appearance.
QComboBox* makePopup(const QStringList& items, int selected)
{
    auto* popup = new QComboBox;
    popup->addItems(items);
    popup->setCurrentIndex(selected);
    popup->setFont(barFont(popup->font(), QFont::Normal));
    popup->setFixedHeight(22);
    QPalette palette = popup->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Button, QColor(66, 66, 70));
        palette.setColor(group, QPalette::ButtonText, QColor(255, 255, 255, 230));
        palette.setColor(group, QPalette::Window, QColor(44, 44, 46));
        palette.setColor(group, QPalette::WindowText, QColor(255, 255, 255, 230));
        palette.setColor(group, QPalette::Base, QColor(44, 44, 46));
        palette.setColor(group, QPalette::Text, QColor(255, 255, 255, 230));
        palette.setColor(group, QPalette::Highlight, QColor(0, 122, 255));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    popup->setPalette(palette);
    return popup;
}

QLabel* makeCaption(const QString& text)
{
    auto* label = new QLabel(text);
    label->setFont(barFont(label->font(), QFont::Medium));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, 140));
    label->setPalette(palette);
    return label;
}

int fpsIndex(int fps)
{
    if (fps == 15) return 0;
    if (fps == 60) return 2;
    return 1;
}
}  // namespace

RecOptionsBarPanel::RecOptionsBarPanel(const RecOptions& initial) : FloatingPanel(platform::PanelFocus::onRequest)
{
    auto* content = new QWidget;
    HUDStyle::installBackground(content, HUDBlending::behindWindow);
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(0);

    QStringList formats;
    for (RecFormat format : allCases<RecFormat>()) formats.append(rawValue(format).toUpper());
    m_format = makePopup(formats, std::max(0, int(allCases<RecFormat>().indexOf(initial.format))));
    m_fps = makePopup({QStringLiteral("15"), QStringLiteral("30"), QStringLiteral("60")}, fpsIndex(initial.fps));
    m_mic = makePopup({QStringLiteral("关"), QStringLiteral("开")}, initial.microphone ? 1 : 0);

    m_startButton = new HUDBarButton(QStringLiteral("● 开始录制"), HUDControlSize::regular);
    m_startButton->setContentTint(kSystemRed);
    QObject::connect(m_startButton, &QPushButton::clicked, this, [this] { startTapped(); });
    m_cancelButton = new HUDBarButton(QStringLiteral("取消"), HUDControlSize::regular);
    QObject::connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancelTapped(); });

    // Each item with the gap that follows it.
    const std::pair<QWidget*, int> items[] = {
        {makeCaption(QStringLiteral("格式:")), 2},
        {m_format, 6},
        {makeCaption(QStringLiteral("帧率:")), 2},
        {m_fps, 6},
        {makeCaption(QStringLiteral("麦克风:")), 2},
        {m_mic, 8},
        {HUDStyle::makeSeparator(18), 8},
        {m_startButton, 6},
        {m_cancelButton, 0},
    };
    for (const auto& [widget, gap] : items) {
        row->addWidget(widget, 0, Qt::AlignVCenter);
        if (gap > 0) row->addSpacing(gap);
    }

    setContentView(content);
    setCornerRadius(10);
    fit();
}

RecOptions RecOptionsBarPanel::currentOptions() const
{
    RecOptions options;
    options.format = m_format->currentIndex() >= 1 ? RecFormat::mov : RecFormat::mp4;
    options.fps = kFrameRates[size_t(std::clamp(m_fps->currentIndex(), 0, 2))];
    options.microphone = m_mic->currentIndex() == 1;
    return options;
}

platform::PanelPlacement RecOptionsBarPanel::place(const QRectF& nearGlobal, const QScreen* screen)
{
    return placeNear(nearGlobal, screen, true);
}

void RecOptionsBarPanel::startTapped()
{
    if (auto call = onStart) call(currentOptions());
}

void RecOptionsBarPanel::cancelTapped()
{
    if (auto call = onCancel) call();
}

void RecOptionsBarPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        startTapped();
        return;
    }
    FloatingPanel::keyPressEvent(event);
}

}  // namespace klipo
