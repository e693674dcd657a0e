#include "platform/media/FragmentedFile.h"

#include "platform/FileErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace klipo::platform::media {

namespace {

std::uint32_t bigEndian32(const unsigned char* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

FragmentCheck walk(int fd)
{
    FragmentCheck check;
    struct stat info {};
    if (fstat(fd, &info) != 0) return check;
    check.readable = true;
    check.fileBytes = info.st_size;
    bool ftyp = false;
    bool moov = false;
    std::int64_t offset = 0;
    std::int64_t openFragmentStart = -1;  // a "moof" still waiting for its "mdat"
    while (offset + 8 <= check.fileBytes) {
        unsigned char header[16];
        if (pread(fd, header, 8, offset) != 8) break;
        std::int64_t size = bigEndian32(header);
        const std::uint32_t type = bigEndian32(header + 4);
        if (size == 1) {
            if (offset + 16 > check.fileBytes || pread(fd, header + 8, 8, offset + 8) != 8) break;
            size = (std::int64_t(bigEndian32(header + 8)) << 32) | bigEndian32(header + 12);
        }
        // A size of 0 ("up to the end") is never written by our muxer in the
        // middle of a recording; treat it, and nonsense sizes, as the broken tail.
        if (size < 8 || offset + size > check.fileBytes) break;
        const auto is = [type](const char* name) {
            return type == bigEndian32(reinterpret_cast<const unsigned char*>(name));
        };
        if (is("ftyp")) ftyp = true;
        else if (is("moov")) moov = true;
        else if (is("moof")) openFragmentStart = offset;
        else if (is("mdat") && openFragmentStart >= 0) {
            ++check.completeFragments;
            openFragmentStart = -1;
        }
        offset += size;
        if (openFragmentStart < 0) check.playableBytes = offset;
    }
    check.hasHead = ftyp && moov;
    return check;
}

}  // namespace

FragmentCheck checkFragments(const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    FragmentCheck check = walk(fd);
    ::close(fd);
    return check;
}

std::optional<QString> trimToCompleteFragments(const QString& path, FragmentCheck* after)
{
    // Only a plain file of one name: never what a link, or another name of
    // the same file, leads to.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return QStringLiteral("无法打开 %1：%2").arg(path, describeFileError(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        return QStringLiteral("%1 不是普通的录屏文件，未改动").arg(path);
    }
    FragmentCheck check = walk(fd);
    std::optional<QString> failure;
    if (check.readable && check.playableBytes < check.fileBytes) {
        if (ftruncate(fd, check.playableBytes) == 0)
            check.fileBytes = check.playableBytes;
        else
            failure = QStringLiteral("无法整理 %1：%2").arg(path, describeFileError(errno));
    }
    ::close(fd);
    if (after) *after = check;
    return failure;
}

}  // namespace klipo::platform::media
