#include "platform/text/WordListPages.h"

#include "platform/OwnFolders.h"
#include "platform/text/ModelFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/uio.h>
#include <unistd.h>

namespace klipo::platform {

namespace {

struct Region {
    uintptr_t start = 0;
    uintptr_t end = 0;
    unsigned long inode = 0;
    bool privateWritable = false;
    bool named = false;
};

// The process's mappings, from /proc/self/maps.
std::vector<Region> mappings()
{
    std::vector<Region> regions;
    QFile file(QStringLiteral("/proc/self/maps"));
    if (!file.open(QIODevice::ReadOnly)) return regions;
    for (const QByteArray& line : file.readAll().split('\n')) {
        Region region;
        char perms[8] = {};
        unsigned long long offset = 0;
        char device[32] = {};
        int consumed = 0;
        if (std::sscanf(line.constData(), "%lx-%lx %7s %llx %31s %lu %n", &region.start, &region.end, perms, &offset,
                        device, &region.inode, &consumed) < 6)
            continue;
        region.privateWritable = std::strcmp(perms, "rw-p") == 0;
        region.named = consumed > 0 && consumed < line.size();
        regions.push_back(region);
    }
    return regions;
}

// How much of the mapping at `start` was written since it was mapped (pages
// copied from the file), in kB; -1 when there is no such mapping.
long writtenKb(uintptr_t start)
{
    QFile file(QStringLiteral("/proc/self/smaps"));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    bool inside = false;
    for (const QByteArray& line : file.readAll().split('\n')) {
        uintptr_t from = 0;
        uintptr_t to = 0;
        if (std::sscanf(line.constData(), "%lx-%lx ", &from, &to) == 2 && line.contains(' ')) {
            if (inside) return -1;
            inside = from == start;
        } else if (inside && line.startsWith("Anonymous:")) {
            return line.mid(10).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// Whether the memory at `address` holds `expected`. Read through the kernel,
// so that memory another thread unmaps meanwhile is a mismatch, not a crash.
bool holds(uintptr_t address, const char* expected, size_t length)
{
    constexpr size_t kChunk = 1 << 20;
    std::vector<char> buffer(std::min(length, kChunk));
    for (size_t done = 0; done < length;) {
        const size_t n = std::min(kChunk, length - done);
        iovec local = {buffer.data(), n};
        iovec remote = {reinterpret_cast<void*>(address + done), n};
        if (::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) != ssize_t(n)) return false;
        if (std::memcmp(buffer.data(), expected + done, n) != 0) return false;
        done += n;
    }
    return true;
}

bool writeAll(int fd, const char* data, size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n <= 0) return false;
        data += n;
        length -= size_t(n);
    }
    return true;
}

}  // namespace

std::unique_ptr<WordListPages> WordListPages::adopt(QByteArrayView model, const QString& folder)
{
    const QByteArrayView edges = ModelFile::wordListEdges(model);
    const long page = ::sysconf(_SC_PAGESIZE);
    if (edges.isEmpty() || page <= 0 || folder.isEmpty()) return nullptr;

    // Pages of a file in memory (tmpfs) would stay in memory given back or
    // not: then the engine's memory is not even searched.
    struct statfs where = {};
    const QByteArray path = QFile::encodeName(folder);
    if (::statfs(path.constData(), &where) != 0 || where.f_type == TMPFS_MAGIC || where.f_type == RAMFS_MAGIC)
        return nullptr;

    // The engine's copy is an allocation of its own: mapped by the allocator
    // for it alone, a page-aligned block whose header (two words: the size
    // before, then its own size with the "mapped" bit) precedes the bytes.
    constexpr size_t kHeader = 2 * sizeof(size_t);
    constexpr size_t kMappedBit = 2;
    char* start = nullptr;
    size_t length = 0;
    int found = 0;
    for (const Region& region : mappings()) {
        if (!region.privateWritable || region.inode != 0 || region.named) continue;
        if (region.end - region.start < kHeader + size_t(edges.size())) continue;
        size_t header[2] = {};
        iovec local = {header, sizeof header};
        iovec remote = {reinterpret_cast<void*>(region.start), sizeof header};
        if (::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) != ssize_t(sizeof header)) continue;
        size_t size = header[1];
        if (!(size & kMappedBit)) continue;
        size &= ~size_t(7);
        if (size % size_t(page) != 0 || size < kHeader + size_t(edges.size()) || region.start + size > region.end)
            continue;
        if (!holds(region.start + kHeader, edges.data(), size_t(edges.size()))) continue;
        start = reinterpret_cast<char*>(region.start);
        length = size;
        ++found;
    }
    if (found != 1) return nullptr;

    int fd = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A file system without unnamed files: a named one, gone from the folder at once.
        QByteArray name = path + "/.wordlist-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) ::unlink(name.constData());
    }
    if (fd < 0) return nullptr;
    struct stat info = {};
    // The file gets the block's bytes as they are, header and slack included:
    // mapped in its place, every byte reads as before.
    if (!writeAll(fd, start, length) || ::fstat(fd, &info) != 0 ||
        ::mmap(start, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, fd, 0) == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<WordListPages>(new WordListPages(start, length, fd, info.st_ino));
}

QString WordListPages::defaultFolder()
{
    const QString folder = ownfolders::cacheFolder();
    // A link leads into a folder of the user's: the pages stay in memory.
    struct stat st {};
    if (::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISLNK(st.st_mode)) return {};
    return QDir().mkpath(folder) ? folder : QString();
}

WordListPages::WordListPages(char* start, size_t length, int fd, unsigned long inode)
    : m_start(start), m_length(length), m_fd(fd), m_inode(inode)
{
}

WordListPages::~WordListPages() { ::close(m_fd); }

bool WordListPages::giveBack()
{
    const auto start = reinterpret_cast<uintptr_t>(m_start);
    bool ours = false;
    for (const Region& region : mappings())
        if (region.start == start && region.end == start + m_length && region.inode == m_inode) ours = true;
    // A page written since would lose what was written.
    if (!ours || writtenKb(start) != 0) return false;
    return ::madvise(m_start, m_length, MADV_DONTNEED) == 0;
}

}  // namespace klipo::platform
