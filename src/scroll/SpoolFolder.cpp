#include "scroll/SpoolFolder.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::stitch {

namespace {

const QString prefix = QStringLiteral("ScrollStitcher-");

int openLocked(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

SpoolFolder::~SpoolFolder()
{
    if (m_fd >= 0) ::close(m_fd);
}

bool SpoolFolder::create(const QString& path, bool hideUntilLocked)
{
    m_path = path;
    QDir parent = QFileInfo(path).dir();
    if (!hideUntilLocked) {
        if (!QDir().mkpath(path)) return false;
        m_fd = openLocked(path);
        return true;
    }
    if (!parent.mkpath(QStringLiteral("."))) return false;
    const QString hidden = parent.filePath(QLatin1Char('.') + QFileInfo(path).fileName());
    if (!QDir().mkdir(hidden)) return false;
    m_fd = openLocked(hidden);
    if (::rename(QFile::encodeName(hidden).constData(), QFile::encodeName(path).constData()) != 0) {
        QDir(hidden).removeRecursively();
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

void SpoolFolder::remove()
{
    if (!m_path.isEmpty()) QDir(m_path).removeRecursively();
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

QString newSpoolFolderPath()
{
    return QDir(QDir::tempPath())
        .filePath(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

int sweepStaleSpoolFolders(const QString& tempDir)
{
    int removed = 0;
    const QDir dir(tempDir);
    const auto entries =
        dir.entryInfoList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        struct stat st {};
        const QByteArray path = QFile::encodeName(entry.absoluteFilePath());
        if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        const int fd = openLocked(entry.absoluteFilePath());
        if (fd < 0) continue;  // a live stitcher holds it
        if (QDir(entry.absoluteFilePath()).removeRecursively()) ++removed;
        ::close(fd);
    }
    return removed;
}

int sweepStaleSpoolFolders() { return sweepStaleSpoolFolders(QDir::tempPath()); }

}  // namespace klipo::stitch
