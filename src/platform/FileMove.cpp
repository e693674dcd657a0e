#include "platform/FileMove.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace klipo::platform {

namespace {

using Status = MoveResult::Status;

MoveResult failed(int error) { return MoveResult{Status::failed, error, false}; }

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool copyData(int in, int out)
{
    // The kernel copies without a trip through this process where it can.
    for (;;) {
        const ssize_t copied = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (copied == 0) return true;
        if (copied > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return false;
        break;
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (!writeAll(out, buffer, got)) return false;
    }
}

void syncFolderOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? path.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
}

MoveResult copyThenRemove(const QByteArray& from, const QByteArray& to)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return failed(errno);
    struct stat info {};
    fstat(in, &info);
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error == EEXIST ? MoveResult{Status::destinationExists, error, false} : failed(error);
    }
    // The copy counts only once it is on the disk.
    int error = 0;
    if (!copyData(in, out) || fsync(out) != 0) error = errno != 0 ? errno : EIO;
    if (::close(out) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    ::close(in);
    if (error != 0) {
        ::unlink(to.constData());
        return failed(error);
    }
    syncFolderOf(to);
    // The copy is safely on disk; only now does the original go. Should that
    // fail, two copies are better than none.
    ::unlink(from.constData());
    return MoveResult{Status::moved, 0, true};
}

}  // namespace

MoveResult moveFileNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = from.toLocal8Bit();
    const QByteArray target = to.toLocal8Bit();
    if (renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return MoveResult{Status::moved, 0, false};
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // A file system without the no-replace rename: a hard link never replaces either.
        if (::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            return MoveResult{Status::moved, 0, false};
        }
        error = errno;
        if (error == EPERM || error == EOPNOTSUPP) error = EXDEV;  // no hard links there: copy
    }
    if (error == EEXIST) return MoveResult{Status::destinationExists, error, false};
    if (error == EXDEV) return copyThenRemove(source, target);
    return failed(error);
}

}  // namespace klipo::platform
