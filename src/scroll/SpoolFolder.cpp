#include "scroll/SpoolFolder.h"

#include "platform/SafeFile.h"
#include "platform/StorageAlerts.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
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

QString spoolRoot()
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/KlipoVersa/scroll");
}

QString newSpoolFolderPath()
{
    // Only this user may enter it: the frames are pictures of the screen.
    platform::safefile::makePrivateFolder(spoolRoot());
    return QDir(spoolRoot()).filePath(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
}

int sweepStaleSpoolFolders(const QString& tempDir)
{
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
