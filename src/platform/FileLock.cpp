#include "platform/FileLock.h"

#include <QFile>

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

}  // namespace klipo::platform
