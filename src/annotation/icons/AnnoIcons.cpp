#include "annotation/icons/AnnoIcons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void initAnnotationResources() { Q_INIT_RESOURCE(annotation); }

namespace klipo::AnnoIcons {

namespace {
QString path(const QString& symbolName)
{
    static const bool loaded = (initAnnotationResources(), true);
    Q_UNUSED(loaded);
    return QStringLiteral(":/annotation/icons/") + symbolName + QStringLiteral(".svg");
}
}  // namespace

bool has(const QString& symbolName) { return !symbolName.isEmpty() && QFile::exists(path(symbolName)); }

QIcon icon(const QString& symbolName, const QColor& color)
{
    if (!has(symbolName)) return {};
    QFile file(path(symbolName));
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray svg = file.readAll();
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    QIcon result;
    for (const int side : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

}  // namespace klipo::AnnoIcons
