#include "preferences/PrefsIcons.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

static void initPreferencesResources() { Q_INIT_RESOURCE(preferences); }

namespace klipo::PrefsIcons {

namespace {

class SymbolLabel final : public QLabel {
public:
    SymbolLabel(const QString& symbolName, int logicalSize, QPalette::ColorRole role, QWidget* parent)
        : QLabel(parent), m_symbolName(symbolName), m_logicalSize(logicalSize), m_role(role)
    {
        paintSymbol();
    }

protected:
    void changeEvent(QEvent* event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange) paintSymbol();
    }

private:
    void paintSymbol()
    {
        setPixmap(PrefsIcons::pixmap(m_symbolName, m_logicalSize, devicePixelRatioF(), palette().color(m_role)));
    }

    QString m_symbolName;
    int m_logicalSize;
    QPalette::ColorRole m_role;
};

}  // namespace

QPixmap pixmap(const QString& symbolName, int logicalSize, qreal devicePixelRatio, const QColor& color)
{
    const int side = qMax(1, qRound(logicalSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    static const bool loaded = (initPreferencesResources(), true);
    Q_UNUSED(loaded);
    QSvgRenderer renderer(QStringLiteral(":/preferences/icons/%1.svg").arg(symbolName));
    QPainter painter(&image);
    if (renderer.isValid()) renderer.render(&painter);
    if (color.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    painter.end();
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon icon(const QString& symbolName, const QColor& color)
{
    QIcon result;
    for (int size : {16, 24, 32}) result.addPixmap(pixmap(symbolName, size, 1.0, color));
    result.addPixmap(pixmap(symbolName, 16, 2.0, color));
    return result;
}

QLabel* symbolLabel(const QString& symbolName, int logicalSize, QPalette::ColorRole role, QWidget* parent)
{
    return new SymbolLabel(symbolName, logicalSize, role, parent);
}

}  // namespace klipo::PrefsIcons
