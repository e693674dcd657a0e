#include "tools/CaptureFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::CaptureFiles {

namespace {

// Far beyond any real folder; keeps a broken file system from looping forever.
constexpr int maxNumber = 99999;

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// An unnamed file in the folder, filled and synced, then linked under the
// first free name: linkat refuses a name that exists. Returns false (with
// nothing written) when the system offers no unnamed files here.
bool writeThroughUnnamedFile(const QString& directory, const QString& baseName, const QString& extension,
                             const QByteArray& data, WriteResult& result)
{
    const int fd = ::open(QFile::encodeName(directory).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    if (!writeAll(fd, data) || ::fdatasync(fd) != 0) {
        result.error = describeError(errno, directory);
        ::close(fd);
        return true;
    }
    const QByteArray handle = "/proc/self/fd/" + QByteArray::number(fd);
    for (int n = 1; n <= maxNumber; ++n) {
        const QString path = QDir(directory).filePath(candidateName(baseName, extension, n));
        if (::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, QFile::encodeName(path).constData(),
                     AT_SYMLINK_FOLLOW) == 0) {
            result.path = path;
            ::close(fd);
            return true;
        }
        if (errno == EEXIST) continue;
        const int error = errno;
        ::close(fd);
        if (n == 1 && (error == ENOENT || error == EPERM || error == EOPNOTSUPP)) return false;  // no /proc, no links
        result.error = describeError(error, path);
        return true;
    }
    ::close(fd);
    result.error = QStringLiteral("文件夹「%1」里同名文件太多").arg(shown(directory));
    return true;
}

// Each name created exclusively (O_EXCL), then filled; a failed fill removes it.
WriteResult writeByExclusiveCreate(const QString& directory, const QString& baseName, const QString& extension,
                                   const QByteArray& data)
{
    for (int n = 1; n <= maxNumber; ++n) {
        const QString path = QDir(directory).filePath(candidateName(baseName, extension, n));
        const QByteArray name = QFile::encodeName(path);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return {{}, describeError(errno, path)};
        }
        if (!writeAll(fd, data) || ::fdatasync(fd) != 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(name.constData());
            return {{}, describeError(error, path)};
        }
        ::close(fd);
        return {path, {}};
    }
    return {{}, QStringLiteral("文件夹「%1」里同名文件太多").arg(shown(directory))};
}

// Names a file that stands where the path needs a folder; empty when none does.
QString fileInTheWay(const QString& folder)
{
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath());; path = QFileInfo(path).absolutePath()) {
        const QFileInfo info(path);
        if (info.exists() && !info.isDir()) return QStringLiteral("「%1」是一个文件，不是文件夹").arg(shown(path));
        if (info.exists() || info.isRoot()) return {};
    }
}

}  // namespace

QByteArray encode(const QImage& image, CaptureFileFormat format)
{
    if (image.isNull()) return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == CaptureFileFormat::jpeg ? "jpeg" : "png");
    if (format == CaptureFileFormat::jpeg) writer.setQuality(90);
    if (!writer.write(image)) return {};
    return data;
}

QString candidateName(const QString& baseName, const QString& extension, int n)
{
    const QString stem = n <= 1 ? baseName : baseName + QLatin1Char(' ') + QString::number(n);
    return stem + QLatin1Char('.') + extension;
}

QString makeDirectory(const QString& directory)
{
    if (QFileInfo(directory).isDir()) return {};
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(directory).toStdString(), error);
    if (!error) return {};
    if (const QString obstacle = fileInTheWay(directory); !obstacle.isEmpty()) return obstacle;
    return describeError(error.value(), directory);
}

QString writeFileAt(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit()) return {};
    const QString folder = QFileInfo(path).absolutePath();
    if (const QString obstacle = fileInTheWay(folder); !obstacle.isEmpty()) return obstacle;
    if (!QFileInfo(folder).isDir()) return describeError(ENOENT, path);
    if (file.error() == QFileDevice::PermissionsError) return describeError(EACCES, path);
    return QStringLiteral("无法写入「%1」：%2").arg(shown(path), file.errorString());
}

WriteResult writeNewFile(const QString& directory, const QString& baseName, const QString& extension,
                         const QByteArray& data)
{
    if (const QString error = makeDirectory(directory); !error.isEmpty()) return {{}, error};
    WriteResult result;
    if (writeThroughUnnamedFile(directory, baseName, extension, data, result)) return result;
    return writeByExclusiveCreate(directory, baseName, extension, data);
}

QString describeError(int error, const QString& path)
{
    const QString where = shown(path);
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限写入「%1」").arg(where);
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足，无法写入「%1」").arg(where);
    case EROFS:
        return QStringLiteral("「%1」所在的磁盘是只读的").arg(where);
    case ENOTDIR:
        return QStringLiteral("「%1」的路径中有一项不是文件夹").arg(where);
    case ENOENT:
        return QStringLiteral("「%1」所在的文件夹不存在").arg(where);
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长：%1").arg(where);
    default:
        return QStringLiteral("无法写入「%1」：%2").arg(where, QString::fromLocal8Bit(std::strerror(error)));
    }
}

}  // namespace klipo::CaptureFiles
