#include "recognition/ResultView.h"

#include "recognition/ResultIcons.h"
#include "recognition/ResultModel.h"
#include "recognition/TargetLanguageReach.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace klipo {

// The status card: a busy bar while translating and the status text, on a
// translucent rounded card.
class ResultStatusCard : public QWidget {
public:
    static constexpr int maxTextWidth = 420;

    explicit ResultStatusCard(QWidget* parent) : QWidget(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(14, 14, 14, 14);
        layout->setSpacing(6);
        m_busy = new QProgressBar(this);
        m_busy->setRange(0, 0);
        m_busy->setTextVisible(false);
        m_busy->setFixedSize(120, 6);
        layout->addWidget(m_busy, 0, Qt::AlignHCenter);
        m_text = new QLabel(this);
        m_text->setAlignment(Qt::AlignCenter);
        m_text->setWordWrap(true);
        m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(m_text);
        m_wayOut = new QPushButton(TargetLanguageReach::wayOutTitle, this);
        m_wayOut->hide();
        layout->addWidget(m_wayOut, 0, Qt::AlignHCenter);
    }

    QPushButton* wayOut() const { return m_wayOut; }

    void configure(bool busy, const QString& text, bool offerWayOut)
    {
        m_busy->setVisible(busy);
        m_wayOut->setVisible(offerWayOut);
        m_text->setVisible(!text.isEmpty());
        m_text->setText(text);
        // A wrapping label asks for little width: give it its longest line, within reason.
        int widest = 0;
        for (const QString& line : text.split(QLatin1Char('\n')))
            widest = std::max(widest, m_text->fontMetrics().horizontalAdvance(line) + 2);
        m_text->setMinimumWidth(std::min(widest, maxTextWidth));
        adjustSize();
    }

    QString text() const { return m_text->text(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor card = palette().color(QPalette::Window);
        card.setAlphaF(0.88);
        painter.setPen(Qt::NoPen);
        painter.setBrush(card);
        painter.drawRoundedRect(QRectF(rect()), 10, 10);
    }

private:
    QProgressBar* m_busy = nullptr;
    QLabel* m_text = nullptr;
    QPushButton* m_wayOut = nullptr;
};

// The picture, as large as the area allows with its proportions kept, in a
// rounded frame; the status card centred over it.
class ResultImageArea : public QWidget {
public:
    explicit ResultImageArea(QWidget* parent) : QWidget(parent), m_card(new ResultStatusCard(this))
    {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        setMinimumSize(1, 1);
        m_card->hide();
    }

    void configure(const QImage& image, bool busy, const QString& status, bool offerWayOut)
    {
        m_image = image;
        const bool showCard = busy || !status.isEmpty();
        m_card->setVisible(showCard);
        if (showCard) {
            m_card->configure(busy, status, offerWayOut);
            placeCard();
        }
        update();
    }

    ResultStatusCard* card() const { return m_card; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_image.isNull()) return;
        const QSizeF imageSize = m_image.deviceIndependentSize();
        const QSizeF fitted = imageSize.scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath clip;
        clip.addRoundedRect(target, 6, 6);
        painter.setClipPath(clip);
        painter.drawImage(target, m_image);
    }

    void resizeEvent(QResizeEvent*) override { placeCard(); }

private:
    void placeCard()
    {
        const QSize size = m_card->sizeHint().boundedTo(QSize(std::max(80, width() - 24), height()));
        m_card->setGeometry(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size));
    }

    QImage m_image;
    ResultStatusCard* m_card;
};

ResultView::ResultView(ResultModel& model, QWidget* parent) : QWidget(parent), m_model(model)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    m_imageArea = new ResultImageArea(this);
    layout->addWidget(m_imageArea, 1);

    auto* row = new QHBoxLayout;
    const QColor ink = palette().color(QPalette::ButtonText);
    const struct {
        Action action;
        const char* title;
        QIcon icon;
    } buttons[] = {
        {Action::copyImage, "复制图片", ResultIcons::copyImage(ink)},
        {Action::saveImage, "保存图片…", ResultIcons::saveImage(ink)},
        {Action::enlarge, "放大查看", ResultIcons::enlarge(ink)},
        {Action::copyText, "复制译文", ResultIcons::copyText(ink)},
        {Action::pin, "钉在桌面", ResultIcons::pin(ink)},
    };
    for (const auto& entry : buttons) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(entry.title));
        button->setIcon(entry.icon);
        button->setAutoRaise(false);
        button->setToolButtonStyle(entry.action == Action::pin ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
        const Action action = entry.action;
        connect(button, &QToolButton::clicked, this, [this, action] { Q_EMIT actionTriggered(action); });
        m_buttons[size_t(action)] = button;
        row->addWidget(button);
    }
    button(Action::pin)->setToolTip(
        QStringLiteral("钉在桌面：浮在所有窗口最上层（全屏应用之上也看得见），拖动移动、滚轮缩放、双击关闭"));
    row->addStretch(1);
    layout->addLayout(row);

    // After the action buttons in the keyboard's order: the first of them takes the keyboard.
    QWidget::setTabOrder(button(Action::pin), m_imageArea->card()->wayOut());
    connect(m_imageArea->card()->wayOut(), &QPushButton::clicked, this, &ResultView::targetLanguageChangeRequested);
    connect(&m_model, &ResultModel::changed, this, &ResultView::refresh);
    refresh();
}

QWidget* ResultView::statusCard() const { return m_imageArea->card(); }
QString ResultView::statusText() const { return m_imageArea->card()->text(); }
QPushButton* ResultView::targetLanguageButton() const { return m_imageArea->card()->wayOut(); }

void ResultView::prepareTranslatingStatus()
{
    if (!isVisible()) m_imageArea->card()->configure(true, ResultModel::translatingStatus, false);
}

void ResultView::refresh()
{
    m_imageArea->configure(m_model.displayImage(), m_model.isTranslating(), m_model.status(),
                           m_model.offersTargetLanguageChange() && TargetLanguageReach::canOpenPicker());
    const bool imageActions = !m_model.displayImage().isNull() && !m_model.isTranslating();
    for (const Action action : {Action::copyImage, Action::saveImage, Action::enlarge, Action::pin})
        button(action)->setEnabled(imageActions);
    button(Action::copyText)->setEnabled(!m_model.translatedJoined().isEmpty());
}

}  // namespace klipo
