#include "platform/ProgramIcon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSvgRenderer>

static void initPlatformResources() { Q_INIT_RESOURCE(platform); }

namespace klipo::platform::ProgramIcon {

namespace {

QString resourcePath()
{
    static const bool loaded = (initPlatformResources(), true);
    Q_UNUSED(loaded);
    return QStringLiteral(":/platform/icons/klipoversa.svg");
}

QPixmap drawn(QSvgRenderer& renderer, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon icon()
{
    static const QIcon made = [] {
        QIcon result;
        QSvgRenderer renderer(resourcePath());
        if (!renderer.isValid()) return result;
        for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) result.addPixmap(drawn(renderer, side));
        return result;
    }();
    return made;
}

QString themeName() { return QStringLiteral("io.klipoversa"); }

QString installedPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("icons/hicolor/scalable/apps/") + themeName() + QStringLiteral(".svg"));
}

QString installForDesktop()
{
    QFile source(resourcePath());
    if (!source.open(QIODevice::ReadOnly)) return QStringLiteral("程序图标读不出来");
    const QByteArray svg = source.readAll();
    const QString path = installedPath();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == svg) return {};
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) return QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(svg) != svg.size() || !file.commit())
        return QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

}  // namespace klipo::platform::ProgramIcon
