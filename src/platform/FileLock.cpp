#include "platform/FileLock.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace klipo::platform {

FileLock::FileLock(const QString& lockPath)
{
    // flock() belongs to the open file description: a second open of the same
    // file, in this process or another, is a second holder.
    m_fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) return;
    int result;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_status = Status::Held;
        return;
    }
    m_status = errno == EWOULDBLOCK ? Status::Busy : Status::Failed;
    ::close(m_fd);
    m_fd = -1;
}

FileLock::~FileLock()
{
    if (m_fd >= 0) ::close(m_fd);
}

FolderLock::FolderLock(const QString& folder, int waitMs)
{
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    constexpr int kStepMs = 5;
    for (int waited = 0;; waited += kStepMs) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_status = FileLock::Status::Held;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        if (errno == EWOULDBLOCK && waited >= waitMs) {
            m_status = FileLock::Status::Busy;
            break;
        }
        if (errno == EWOULDBLOCK) QThread::msleep(kStepMs);
    }
    ::close(m_fd);
    m_fd = -1;
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0) ::close(m_fd);
}

}  // namespace klipo::platform
