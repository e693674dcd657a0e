#include "platform/SafeFile.h"

#include "platform/OwnFolders.h"
#include "platform/SafeFileLeftovers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::platform::safefile {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now and reports whether the close itself went well (some file
    // systems only report a failed write here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

QString notRegularText() { return QStringLiteral("同名的不是普通文件"); }

ReadResult failedRead(ReadStatus status, const QString& error) { return {status, {}, error}; }

WriteResult failedWrite(const QString& error) { return {false, error}; }

// Makes the missing folders of `path` with mode 0700; leaves existing ones as
// they are. Sets errno on failure.
bool makeFolders(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    struct stat st {};
    if (::stat(native(clean).constData(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    qsizetype from = 1;
    while (true) {
        const qsizetype slash = clean.indexOf(QLatin1Char('/'), from);
        const QString prefix = slash < 0 ? clean : clean.left(slash);
        if (::mkdir(native(prefix).constData(), 0700) != 0 && errno != EEXIST) return false;
        if (slash < 0) break;
        from = slash + 1;
    }
    if (::stat(native(clean).constData(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

QString reasonFor(int code)
{
    switch (code) {
    case ENOSPC:
        return QStringLiteral("磁盘空间不足");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EFBIG:
        return QStringLiteral("文件超出系统允许的大小");
    case EROFS:
        return QStringLiteral("文件系统是只读的");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case EIO:
        return QStringLiteral("磁盘读写出错");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有同名的文件挡住了文件夹");
    case EISDIR:
        return QStringLiteral("同名的是一个文件夹");
    case ELOOP:
        return QStringLiteral("同名的是符号链接");
    default:
        return QStringLiteral("系统错误 %1").arg(code);
    }
}

ReadResult readFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = native(path);
    // Devices are not even opened (opening some has effects); a FIFO swapped in
    // afterwards cannot stall the open, which does not block.
    struct stat before {};
    if (::stat(name.constData(), &before) == 0 && !S_ISREG(before.st_mode))
        return failedRead(ReadStatus::NotRegular, notRegularText());
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        const int code = errno;
        struct stat st {};
        if (code == ENOENT && ::lstat(name.constData(), &st) != 0) return {};
        // A dangling link, a socket or a device that refuses to open.
        if (code == ENOENT || code == ENXIO || code == ELOOP || code == ENODEV)
            return failedRead(ReadStatus::NotRegular, notRegularText());
        return failedRead(ReadStatus::Unreadable, reasonFor(code));
    }
    Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) return failedRead(ReadStatus::Unreadable, reasonFor(errno));
    if (!S_ISREG(st.st_mode)) return failedRead(ReadStatus::NotRegular, notRegularText());
    const QString tooLarge = QStringLiteral("文件过大（超过 %1 MB）").arg(maxBytes / (1024 * 1024));
    if (st.st_size > maxBytes) return failedRead(ReadStatus::TooLarge, tooLarge);

    ReadResult result;
    result.data.resize(qsizetype(st.st_size) + 1);  // one more to notice growth
    qsizetype filled = 0;
    while (true) {
        if (filled == result.data.size()) {
            if (filled > maxBytes) return failedRead(ReadStatus::TooLarge, tooLarge);
            result.data.resize(std::min<qint64>(filled * 2 + 4096, maxBytes + 1));
        }
        const ssize_t got = ::read(fd, result.data.data() + filled, size_t(result.data.size() - filled));
        if (got < 0) {
            if (errno == EINTR) continue;
            return failedRead(ReadStatus::Unreadable, reasonFor(errno));
        }
        if (got == 0) break;
        filled += got;
    }
    if (filled > maxBytes) return failedRead(ReadStatus::TooLarge, tooLarge);
    result.data.truncate(filled);
    result.status = ReadStatus::Ok;
    return result;
}

WriteResult writeFile(const QString& path, const QByteArray& data, mode_t mode, bool makeMissingFolders)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (makeMissingFolders && !makeFolders(folder)) return failedWrite(reasonFor(errno));

    const QByteArray target = native(info.absoluteFilePath());
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return failedWrite(S_ISLNK(st.st_mode) ? QStringLiteral("同名的是符号链接，已拒绝写入") : notRegularText());

    QByteArray temporary = native(folder + QLatin1Char('/') + temporaryTemplateFor(info.fileName()));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return failedWrite(reasonFor(errno));
    Descriptor file(fd);
    auto fail = [&](int code) {
        ::unlink(temporary.constData());
        return failedWrite(reasonFor(code));
    };
    if (::fchmod(fd, mode) != 0) return fail(errno);
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (n == 0) return fail(EIO);
        written += n;
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::fstat(fd, &st) != 0) return fail(errno);
    if (st.st_size != data.size()) {
        ::unlink(temporary.constData());
        return failedWrite(QStringLiteral("写入的内容不完整"));
    }
    if (!file.close()) return fail(errno);
    // rename() replaces the name itself and never follows a link there.
    if (::rename(temporary.constData(), target.constData()) != 0) return fail(errno);
    syncFolder(folder);
    return {true, {}};
}

bool makePrivateFolder(const QString& path)
{
    if (!makeFolders(path)) return false;
    // A folder reached through a link is the user's: its mode stays theirs.
    if (ownfolders::isLinked(path)) return true;
    struct stat st {};
    const QByteArray name = native(path);
    if (::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
        (st.st_mode & 077) != 0)
        ::chmod(name.constData(), 0700);
    return true;
}

QString moveAside(const QString& path, const QString& base, const QString& suffix)
{
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    const QByteArray from = native(path);
    for (int n = 1; n < 1000; ++n) {
        const QString target =
            folder + (n == 1 ? base + suffix : base + QLatin1Char('-') + QString::number(n) + suffix);
        const QByteArray to = native(target);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return target;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return {};
        // A file system without the no-replace rename: check, then rename.
        struct stat st {};
        if (::lstat(to.constData(), &st) == 0) continue;
        return ::rename(from.constData(), to.constData()) == 0 ? target : QString();
    }
    return {};
}

}  // namespace klipo::platform::safefile
