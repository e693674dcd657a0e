#include "recognition/ResultIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace klipo::ResultIcons {

namespace {

// Renders a 16 by 16 drawing (stroke colour "INK") at 1x and 2x.
QIcon fromSvg(const char* body, const QColor& ink)
{
    QString svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 16 16' fill='none' "
                                 "stroke='INK' stroke-width='1.3' stroke-linecap='round' stroke-linejoin='round'>") +
                  QString::fromLatin1(body) + QStringLiteral("</svg>");
    svg.replace(QStringLiteral("INK"), ink.name());
    QSvgRenderer renderer(svg.toUtf8());
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon copyImage(const QColor& ink)
{
    return fromSvg("<rect x='4.5' y='1.5' width='10' height='8' rx='1'/><path d='M4.5 7.5l3-2.5 3 2.5 2-1.5 2 1.5'/>"
                   "<path d='M2.5 4.5v9a1 1 0 0 0 1 1h8'/>",
                   ink);
}

QIcon saveImage(const QColor& ink)
{
    return fromSvg("<path d='M8 1.5v8M4.5 6.5 8 10l3.5-3.5'/><path d='M2 10.5v3a1 1 0 0 0 1 1h10a1 1 0 0 0 1-1v-3'/>",
                   ink);
}

QIcon enlarge(const QColor& ink)
{
    return fromSvg("<circle cx='6.5' cy='6.5' r='4.5'/><path d='M10 10l4.5 4.5M6.5 4.5v4M4.5 6.5h4'/>", ink);
}

QIcon copyText(const QColor& ink)
{
    return fromSvg("<rect x='5' y='4.5' width='8.5' height='10' rx='1'/>"
                   "<path d='M3 11.5h-.5a1 1 0 0 1-1-1v-8a1 1 0 0 1 1-1h6.5a1 1 0 0 1 1 1v.5'/>"
                   "<path d='M7 8h4.5M7 10.5h4.5M7 13h3'/>",
                   ink);
}

QIcon pin(const QColor& ink)
{
    return fromSvg("<path d='M6 1.5h4l-.5 5 2.5 2.5H4l2.5-2.5z' fill='INK'/><path d='M8 9v5.5'/>", ink);
}

}  // namespace klipo::ResultIcons
