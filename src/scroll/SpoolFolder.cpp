#include "scroll/SpoolFolder.h"

#include "platform/OwnFolders.h"
#include "platform/SafeFile.h"
#include "platform/StorageAlerts.h"

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
    m_own = hideUntilLocked;
    QDir parent = QFileInfo(path).dir();
    if (!hideUntilLocked) {
        if (!QDir().mkpath(path)) return false;
        m_fd = openLocked(path);
        return true;
    }
    // Never in a folder of the user's reached through a link; only this user
    // may enter ours: the frames are pictures of the screen.
    if (spoolRootProblem(parent.path()) || !platform::safefile::makePrivateFolder(parent.path())) {
        m_path.clear();
        return false;
    }
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
    if (m_own && !m_path.isEmpty()) QDir(m_path).removeRecursively();
    // A folder the caller named may hold more than our frames.
    if (!m_own && !m_path.isEmpty()) ::rmdir(QFile::encodeName(m_path).constData());
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

QString spoolRoot() { return platform::ownfolders::cacheFolder() + QStringLiteral("/scroll"); }

QString newSpoolFolderPath()
{
    return QDir(spoolRoot()).filePath(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

std::optional<QString> spoolRootProblem(const QString& root)
{
    const QString link = platform::ownfolders::linkOnTheWay(root);
    if (link.isEmpty()) return std::nullopt;
    return platform::ownfolders::linkedCacheReason(link);
}

std::optional<QString> spoolRootProblem() { return spoolRootProblem(spoolRoot()); }

int sweepStaleSpoolFolders(const QString& tempDir)
{
    // Through a link the folders are the user's, whatever their names.
    if (spoolRootProblem(tempDir)) return 0;
    int removed = 0;
    int framesLost = 0;
    const QDir dir(tempDir);
    // Also the hidden name a folder has until its maker locks it.
    const auto entries = dir.entryInfoList({prefix + QLatin1Char('*'), QLatin1Char('.') + prefix + QLatin1Char('*')},
                                           QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        struct stat st {};
        const QByteArray path = QFile::encodeName(entry.absoluteFilePath());
        if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        const int fd = openLocked(entry.absoluteFilePath());
        if (fd < 0) continue;  // a live stitcher holds it
        const int frames =
            int(QDir(entry.absoluteFilePath()).entryList({QStringLiteral("frame_*.png")}, QDir::Files).size());
        if (QDir(entry.absoluteFilePath()).removeRecursively()) {
            ++removed;
            framesLost += frames;
        }
        ::close(fd);
    }
    // The frames of a capture cut off by a crash, a kill or a quit during
    // stitching cannot be put together again: the user hears they are gone.
    if (framesLost > 0)
        platform::storagealerts::report(
            QStringLiteral("上次的滚动长截图没有完成"),
            QStringLiteral("程序在拼接前退出了，已采集的 %1 帧未能拼成长图，已清理").arg(framesLost));
    return removed;
}

int sweepStaleSpoolFolders() { return sweepStaleSpoolFolders(spoolRoot()); }

}  // namespace klipo::stitch
