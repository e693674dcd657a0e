#include "platform/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace klipo::platform {

QString describeFileError(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC: return QStringLiteral("磁盘空间不足");
    case EDQUOT: return QStringLiteral("磁盘配额已用完");
    case EIO: return QStringLiteral("磁盘读写出错");
    case EFBIG: return QStringLiteral("文件超过了大小上限");
    case EACCES:
    case EPERM: return QStringLiteral("没有权限");
    case EROFS: return QStringLiteral("磁盘是只读的");
    case ENOENT: return QStringLiteral("文件或文件夹不存在");
    case EEXIST: return QStringLiteral("同名文件已存在");
    case ENOTDIR: return QStringLiteral("路径中有一项不是文件夹");
    case EISDIR: return QStringLiteral("这是一个文件夹");
    case ENAMETOOLONG: return QStringLiteral("文件名太长");
    default: return QStringLiteral("系统错误 %1（%2）").arg(errorNumber).arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

}  // namespace klipo::platform
