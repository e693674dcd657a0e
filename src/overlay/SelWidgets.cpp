#include "overlay/SelWidgets.h"

#include "annotation/icons/AnnoIcons.h"
#include "app/HUDButton.h"
#include "app/HUDStyle.h"

#include <QApplication>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QSvgRenderer>

static void initOverlayResources() { Q_INIT_RESOURCE(overlay); }

namespace klipo {

namespace SelWidgets {

QColor hudLabel() { return QColor(255, 255, 255, 235); }

QIcon icon(const QString& symbolName, const QColor& color)
{
    if (AnnoIcons::has(symbolName)) return AnnoIcons::icon(symbolName, color);
    static const bool loaded = (initOverlayResources(), true);
    Q_UNUSED(loaded);
    QFile file(QStringLiteral(":/overlay/icons/") + symbolName + QStringLiteral(".svg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray svg = file.readAll();
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    QIcon result;
    for (const int side : {16, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

void setAlpha(QWidget* widget, double a)
{
    if (!widget) return;
    if (a >= 1.0) {
        widget->setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(widget);
        widget->setGraphicsEffect(effect);
    }
    effect->setOpacity(a);
}

double alpha(const QWidget* widget)
{
    const auto* effect = widget ? qobject_cast<QGraphicsOpacityEffect*>(widget->graphicsEffect()) : nullptr;
    return effect ? effect->opacity() : 1.0;
}

void addSeparator(QHBoxLayout* row)
{
    // Spacing 4 plus 4 more gives 8 points around the hairline.
    if (row->count() > 0) row->addSpacing(4);
    row->addWidget(HUDStyle::makeSeparator(18));
    row->addSpacing(4);
}

QFont barFont(double pixels)
{
    QFont font = QApplication::font();
    font.setPointSizeF(pixels * 72.0 / 96.0);
    font.setWeight(QFont::Medium);
    return font;
}

HUDButton* makeIconButton(const QString& symbol, const QString& fallback, const QString& tooltip)
{
    auto* button = new HUDButton;
    button->setCornerRadius(6);
    const QIcon image = icon(symbol, hudLabel());
    if (!image.isNull()) {
        button->setIcon(image);
        button->setIconSize(QSize(17, 17));
    } else {
        button->setText(fallback);
        button->setFont(barFont(12));
    }
    button->setContentTint(hudLabel());
    button->setToolTip(tooltip);
    button->setFixedSize(30, 28);
    return button;
}

HUDButton* makeTextButton(const QString& title, bool emphasized, int width)
{
    auto* button = new HUDButton(title);
    button->setCornerRadius(6);
    if (emphasized) button->setBaseBackground(QApplication::palette().color(QPalette::Highlight));
    button->setFont(barFont(13));
    button->setContentTint(emphasized ? QColor(Qt::white) : hudLabel());
    button->setFixedSize(width, 28);
    return button;
}

}  // namespace SelWidgets

SelSpinner::SelSpinner(QWidget* parent) : QWidget(parent)
{
    setFixedSize(16, 16);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer.setInterval(80);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void SelSpinner::setAnimating(bool animating)
{
    if (animating) m_timer.start();
    else m_timer.stop();
}

void SelSpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(SelWidgets::hudLabel(), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -m_angle * 16, 270 * 16);
}

}  // namespace klipo
