#include "platform/OwnFolders.h"

#include "platform/PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace klipo::platform::ownfolders {

namespace {

bool isSymbolicLink(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

QString linkOnTheWay(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (isSymbolicLink(clean)) return clean;
    const QString parent = QFileInfo(clean).absolutePath();
    if (parent != clean && isSymbolicLink(parent)) return parent;
    return {};
}

QString cacheFolder()
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/KlipoVersa");
}

QString linkedCacheReason(const QString& link)
{
    return QStringLiteral(
               "缓存文件夹 %1 是指向别处的链接，为免删到那里的文件，KlipoVersa 不在其中存放临时文件。"
               "删除这个链接后即可使用")
        .arg(shownPath(link));
}

}  // namespace klipo::platform::ownfolders
