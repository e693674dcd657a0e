#include "platform/PathText.h"

#include <QDir>

namespace klipo::platform {

QString shownPath(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    const QString home = QDir::toNativeSeparators(QDir::homePath());
    if (native == home) return QStringLiteral("~");
    if (!home.isEmpty() && home != QLatin1String("/") && native.startsWith(home + QDir::separator()))
        return QLatin1Char('~') + native.mid(home.size());
    return native;
}

}  // namespace klipo::platform
