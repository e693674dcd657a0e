#include "library/widgets/LibraryIcons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace klipo::libraryicons {

namespace {

// Each drawing is on a 16 by 16 grid; "INK" stands for the colour.
const char* body(Symbol symbol)
{
    switch (symbol) {
    case Symbol::grid:
        return "<rect x='2' y='2' width='5' height='5' rx='1'/><rect x='9' y='2' width='5' height='5' rx='1'/>"
               "<rect x='2' y='9' width='5' height='5' rx='1'/><rect x='9' y='9' width='5' height='5' rx='1'/>";
    case Symbol::list:
        return "<path d='M6 4h8M6 8h8M6 12h8'/><circle cx='2.8' cy='4' r='.6' fill='INK'/>"
               "<circle cx='2.8' cy='8' r='.6' fill='INK'/><circle cx='2.8' cy='12' r='.6' fill='INK'/>";
    case Symbol::history:
        return "<path d='M2.6 8a5.4 5.4 0 1 0 1.6-3.8'/><path d='M4.2 1.8v2.6h2.6'/><path d='M8 5v3.2l2.2 1.4'/>";
    case Symbol::search:
        return "<circle cx='6.8' cy='6.8' r='4.3'/><path d='M10 10l4 4'/>";
    case Symbol::words:
        return "<path d='M1.5 12l2.5-7 2.5 7M2.4 9.6h3.2'/><path d='M8 5v7M8 9.3c0-1.6 1-2.3 2-2.3s2 .7 2 2.4-1 2.6-2 "
               "2.6-2-.9-2-2.6'/><path d='M15 7.8c-.4-.5-.9-.8-1.5-.8'/>";
    case Symbol::checkmark:
        return "<circle cx='8' cy='8' r='6.2'/><path d='M5.3 8.2l1.9 1.9 3.6-3.9'/>";
    case Symbol::restore:
        return "<path d='M6 3.5L2.8 6.6 6 9.7'/><path d='M3 6.6h6.5a3.5 3.5 0 0 1 0 7H7'/>";
    case Symbol::brokenImage:
        return "<path d='M2 3.5h12v9H2z'/><path d='M2.5 11l3.3-3.3 2 2'/><circle cx='10.8' cy='6.2' r='1'/>"
               "<path d='M8.8 3.5l-1.2 3 1.6 1.6-1.3 3.5' stroke-width='1.1'/>";
    case Symbol::cloud:
        return "<path d='M4.5 12.5h7.2a2.8 2.8 0 0 0 .3-5.6 4 4 0 0 0-7.7-.6A3.1 3.1 0 0 0 4.5 12.5z'/>";
    case Symbol::cloudUpload:
        return "<path d='M5.6 12.5H4.5A3.1 3.1 0 0 1 4.3 6.3a4 4 0 0 1 7.7.6 2.8 2.8 0 0 1-.3 5.6h-1.3'/>"
               "<path d='M8 14.3V8.4M6.2 10.1L8 8.3l1.8 1.8'/>";
    case Symbol::cloudDownload:
        return "<path d='M5.6 12.5H4.5A3.1 3.1 0 0 1 4.3 6.3a4 4 0 0 1 7.7.6 2.8 2.8 0 0 1-.3 5.6h-1.3'/>"
               "<path d='M8 8.3v5.9M6.2 12.4L8 14.2l1.8-1.8'/>";
    case Symbol::gear:
        return "<circle cx='8' cy='8' r='2.2'/><path d='M8 1.8v2M8 12.2v2M1.8 8h2M12.2 8h2M3.6 3.6l1.4 1.4M11 11l1.4 "
               "1.4M3.6 12.4L5 11M11 5l1.4-1.4'/><circle cx='8' cy='8' r='4.3'/>";
    }
    return "";
}

}  // namespace

QPixmap pixmap(Symbol symbol, int side, const QColor& color, qreal devicePixelRatio)
{
    QString svg = QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 16 16' fill='none' "
                                 "stroke='INK' stroke-width='1.3' stroke-linecap='round' stroke-linejoin='round'>") +
                  QString::fromLatin1(body(symbol)) + QStringLiteral("</svg>");
    svg.replace(QStringLiteral("INK"), color.name(QColor::HexRgb));
    QSvgRenderer renderer(svg.toUtf8());
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    QPixmap result(pixels, pixels);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter);
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon icon(Symbol symbol, const QColor& color)
{
    QIcon result;
    for (const qreal ratio : {1.0, 2.0}) result.addPixmap(pixmap(symbol, 16, color, ratio));
    return result;
}

}  // namespace klipo::libraryicons
