#include "overlay/SelWidgets.h"

#include "annotation/icons/AnnoIcons.h"
#include "app/HUDButton.h"
#include "app/HUDStyle.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
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

namespace {
constexpr char kActive[] = "selActive";
constexpr char kEmphasized[] = "selEmphasized";
constexpr char kAlpha[] = "selAlpha";
constexpr char kSymbol[] = "selSymbol";

// The symbol drawn in the colour, its alpha included; made once per colour.
QIcon coloredIcon(const QString& symbol, const QColor& color)
{
    static QHash<QString, QIcon> made;
    const QString key = symbol + u'|' + color.name(QColor::HexArgb);
    const auto found = made.constFind(key);
    if (found != made.constEnd()) return *found;
    QColor opaque = color;
    opaque.setAlpha(255);
    const QIcon base = icon(symbol, opaque);
    QIcon result;
    for (const int side : {16, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setOpacity(color.alphaF());
        painter.drawPixmap(0, 0, base.pixmap(side, side));
        painter.end();
        result.addPixmap(pixmap);
    }
    made.insert(key, result);
    return result;
}

QColor faded(QColor color, double alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

// Opacity through the colours rather than a graphics effect, which would
// render the button off screen at every repaint of the bar.
void applyLook(HUDButton* button)
{
    const bool active = button->property(kActive).toBool();
    const bool filled = active || button->property(kEmphasized).toBool();
    const double a = alpha(button);
    const QColor accent = QApplication::palette().color(QPalette::Highlight);
    button->setBaseBackground(filled ? std::optional<QColor>(faded(accent, a)) : std::nullopt);
    const QColor content = faded(filled ? QColor(Qt::white) : hudLabel(), a);
    const QString symbol = button->property(kSymbol).toString();
    if (symbol.isEmpty()) {
        button->setContentTint(content);
    } else {
        // Icons come in their colour: a tint would recolour them at every paint.
        button->setIcon(coloredIcon(symbol, content));
        button->setContentTint(std::nullopt);
    }
}
}  // namespace

void setActive(HUDButton* button, bool active)
{
    if (!button) return;
    button->setProperty(kActive, active);
    applyLook(button);
}

void setAlpha(HUDButton* button, double a)
{
    if (!button) return;
    button->setProperty(kAlpha, a);
    applyLook(button);
}

void setEmphasized(HUDButton* button, bool emphasized)
{
    if (!button) return;
    button->setProperty(kEmphasized, emphasized);
    applyLook(button);
}

bool isEmphasized(const HUDButton* button) { return button && button->property(kEmphasized).toBool(); }

double alpha(const HUDButton* button)
{
    const QVariant a = button ? button->property(kAlpha) : QVariant();
    return a.isValid() ? a.toDouble() : 1.0;
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
        button->setProperty(kSymbol, symbol);
        button->setIconSize(QSize(17, 17));
    } else {
        button->setText(fallback);
        button->setFont(barFont(12));
    }
    applyLook(button);
    button->setToolTip(tooltip);
    button->setFixedSize(30, 28);
    return button;
}

HUDButton* makeTextButton(const QString& title, bool emphasized, int width)
{
    auto* button = new HUDButton(title);
    button->setCornerRadius(6);
    button->setProperty(kEmphasized, emphasized);
    applyLook(button);
    button->setFont(barFont(13));
    button->setFixedSize(width, 28);
    return button;
}

void paintDarkCard(QWidget* widget, qreal radius, qreal alpha)
{
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, float(alpha)));
    painter.drawRoundedRect(QRectF(widget->rect()), radius, radius);
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
