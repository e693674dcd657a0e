#include "SyncTrace.h"

#include <QByteArray>
#include <QFile>
#include <QMutex>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::atomic<bool> tracing{false};
std::atomic<int> syncError{0};
QMutex lock;
QStringList& noted()
{
    static QStringList calls;
    return calls;
}

QString pathOf(int fd)
{
    char target[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    return n < 0 ? QStringLiteral("fd %1").arg(fd) : QFile::decodeName(QByteArray(target, int(n)));
}

void note(const QString& call)
{
    const QMutexLocker locked(&lock);
    noted() << call;
}

template <typename Function>
Function real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int traceSync(int fd, int (*sync)(int))
{
    if (tracing) {
        note(QStringLiteral("sync ") + pathOf(fd));
        if (const int error = syncError) {
            errno = error;
            return -1;
        }
    }
    return sync(fd);
}

}  // namespace

// The wrappers take the place of the C library's functions for everything
// linked into this program.
extern "C" int fsync(int fd)
{
    static const auto sync = real<int (*)(int)>("fsync");
    return traceSync(fd, sync);
}

extern "C" int fdatasync(int fd)
{
    static const auto sync = real<int (*)(int)>("fdatasync");
    return traceSync(fd, sync);
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    static const auto move = real<int (*)(const char*, const char*)>("rename");
    if (tracing) note(QStringLiteral("rename %1 %2").arg(QFile::decodeName(from), QFile::decodeName(to)));
    return move(from, to);
}

namespace klipo::test {

SyncTrace::SyncTrace()
{
    const QMutexLocker locked(&lock);
    noted().clear();
    syncError = 0;
    tracing = true;
}

SyncTrace::~SyncTrace()
{
    tracing = false;
    syncError = 0;
}

QStringList SyncTrace::calls() const
{
    const QMutexLocker locked(&lock);
    return noted();
}

void SyncTrace::failSyncsWith(int error) { syncError = error; }

}  // namespace klipo::test
