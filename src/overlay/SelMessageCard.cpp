#include "overlay/SelMessageCard.h"

#include "overlay/SelWidgets.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBoundaryFinder>
#include <QVBoxLayout>

#include <algorithm>

namespace klipo {

namespace {

constexpr int kInfoMs = 2000;
constexpr int kFailureMs = 6000;
constexpr int kPerCharacterMs = 120;
// Once the pointer leaves, the card stays this much longer at least.
constexpr int kAfterHoverMs = 1500;

int characters(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) ++count;
    return count;
}

const QString kButtonStyle = QStringLiteral(
    "QPushButton { color: white; background: rgba(255, 255, 255, 0.16); border: none; border-radius: 5px;"
    " padding: 3px 10px; }"
    "QPushButton:hover { background: rgba(255, 255, 255, 0.28); }");

}  // namespace

int SelMessageCard::readingMs(const QString& text, Kind kind)
{
    return (kind == Kind::failure ? kFailureMs : kInfoMs) + characters(text) * kPerCharacterMs;
}

SelMessageCard::SelMessageCard(QWidget* parent, const QString& text, Kind kind, int widestTextPx,
                               std::optional<WayOut> wayOut)
    : QWidget(parent), m_kind(kind), m_label(new QLabel(text, this))
{
    m_label->setFont(SelWidgets::barFont(13));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setCursor(Qt::IBeamCursor);
    m_label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    // One line when it fits, else wrapped at the widest the selection allows.
    int longestLine = 0;
    for (const QString& line : text.split(u'\n'))
        longestLine = std::max(longestLine, m_label->fontMetrics().horizontalAdvance(line) + 2);
    m_label->setFixedWidth(std::min(longestLine, std::max(160, widestTextPx)));
    m_label->setFixedHeight(m_label->heightForWidth(m_label->width()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 9, 14, 9);
    layout->setSpacing(8);
    layout->addWidget(m_label, 0, Qt::AlignHCenter);
    if (kind == Kind::failure) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addStretch(1);
        if (wayOut) {
            m_wayOut = addButton(wayOut->title);
            connect(m_wayOut, &QPushButton::clicked, this, [run = wayOut->run] {
                if (run) run();
            });
            row->addWidget(m_wayOut);
        }
        m_copy = addButton(QStringLiteral("复制"));
        connect(m_copy, &QPushButton::clicked, this, &SelMessageCard::copyText);
        row->addWidget(m_copy);
        m_close = addButton(QStringLiteral("关闭"));
        connect(m_close, &QPushButton::clicked, this, &SelMessageCard::expire);
        row->addWidget(m_close);
        row->addStretch(1);
        layout->addLayout(row);
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SelMessageCard::expire);
    adjustSize();
}

QString SelMessageCard::text() const { return m_label->text(); }

QPushButton* SelMessageCard::addButton(const QString& title)
{
    auto* button = new QPushButton(title, this);
    button->setFont(SelWidgets::barFont(12));
    button->setStyleSheet(kButtonStyle);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);  // the keys stay with the overlay
    return button;
}

void SelMessageCard::startCountdown() { m_timer.start(readingMs(text(), m_kind)); }

void SelMessageCard::copyText()
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    if (clipboard) clipboard->setText(text());
    const bool copied = clipboard && clipboard->text() == text();
    m_copy->setText(copied ? QStringLiteral("已复制") : QStringLiteral("复制失败"));
}

void SelMessageCard::expire()
{
    m_timer.stop();
    hide();
    deleteLater();
}

void SelMessageCard::paintEvent(QPaintEvent*) { SelWidgets::paintDarkCard(this); }

void SelMessageCard::enterEvent(QEnterEvent* event)
{
    m_timer.stop();  // read at leisure while the pointer rests on it
    QWidget::enterEvent(event);
}

void SelMessageCard::leaveEvent(QEvent* event)
{
    m_timer.start(std::max(kAfterHoverMs, readingMs(text(), m_kind) / 2));
    QWidget::leaveEvent(event);
}

void SelMessageCard::mousePressEvent(QMouseEvent* event) { event->accept(); }

}  // namespace klipo
