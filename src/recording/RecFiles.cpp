#include "recording/RecFiles.h"

#include "platform/FileErrors.h"
#include "platform/FileMove.h"
#include "platform/FileUseLock.h"
#include "platform/OwnFolders.h"
#include "platform/PathText.h"
#include "platform/SafeFile.h"
#include "platform/media/FragmentedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace klipo::RecFiles {

namespace {

const QString tempPrefix = QStringLiteral("klipo_rec_");
constexpr int maxCounter = 10000;

QString extension(RecFormat format) { return rawValue(format); }

// Creates `path` empty, failing when anything is there already.
bool createExclusive(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// A real folder of this user's that nobody else can enter, reached through
// no link (neither its own name nor the cache folder above it is one).
bool isPrivateFolder(const QString& folder)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0 && !platform::ownfolders::isLinked(folder);
}

// A regular file of this user's with no other name (not a link, not a hard
// link to a file elsewhere).
bool isOwnPlainFile(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 &&
           st.st_uid == ::geteuid();
}

QString keptText(const QString& reason, const QString& keptPath)
{
    return QStringLiteral("%1。录屏文件保留在 %2").arg(reason, QDir::toNativeSeparators(keptPath));
}

ExportResult failedExport(const QString& reason, const QString& tempPath)
{
    ExportResult result;
    result.keptPath = tempPath;
    result.error = keptText(reason, tempPath);
    return result;
}

}  // namespace

QString recordingFileName(const QDateTime& when, RecFormat format, int counter)
{
    QString name = QStringLiteral("录屏_") + QLocale::c().toString(when, QStringLiteral("yyyyMMdd_HHmmss"));
    if (counter > 1) name += QLatin1Char(' ') + QString::number(counter);
    return name + QLatin1Char('.') + extension(format);
}

bool makePrivateFolder(const QString& folder)
{
    // Nothing is made in a folder of the user's reached through a link.
    return !folder.isEmpty() && !platform::ownfolders::isLinked(folder) &&
           platform::safefile::makePrivateFolder(folder) && isPrivateFolder(folder);
}

QString folderProblem(const QString& folder)
{
    const QString link = platform::ownfolders::linkOnTheWay(folder);
    if (!link.isEmpty()) return platform::ownfolders::linkedCacheReason(link);
    return QStringLiteral("文件夹 %1 无法写入或不是当前用户私有的").arg(platform::shownPath(folder));
}

std::optional<QString> createTempFile(const QString& privateFolder, RecFormat format)
{
    if (!makePrivateFolder(privateFolder)) return std::nullopt;
    const QString path = QDir(privateFolder)
                             .filePath(tempPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces) +
                                       QLatin1Char('.') + extension(format));
    if (createExclusive(path)) return path;
    return std::nullopt;
}

ExportResult exportRecording(const QString& tempPath, RecFormat format, const QString& folder,
                             const QDateTime& when)
{
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return failedExport(QStringLiteral("无法创建文件夹 %1").arg(QDir::toNativeSeparators(folder)), tempPath);
    const QDir target(folder);
    for (int counter = 1; counter <= maxCounter; ++counter) {
        const QString path = target.filePath(recordingFileName(when, format, counter));
        const platform::MoveResult moved = platform::moveFileNoReplace(tempPath, path);
        if (moved.ok()) {
            ExportResult result;
            result.savedPath = path;
            return result;
        }
        if (moved.status == platform::MoveResult::Status::destinationExists) continue;
        return failedExport(QStringLiteral("无法保存到 %1：%2")
                                .arg(QDir::toNativeSeparators(folder), platform::describeFileError(moved.errorNumber)),
                            tempPath);
    }
    return failedExport(QStringLiteral("文件夹 %1 里同名的录屏太多").arg(QDir::toNativeSeparators(folder)), tempPath);
}

QList<Leftover> recoverLeftovers(const QString& captureFolder, const QString& privateFolder)
{
    // Only our own folder: files elsewhere may be another login's or another
    // user's, whatever their names.
    if (privateFolder.isEmpty() || !isPrivateFolder(privateFolder)) return {};
    QStringList candidates;
    const QDir dir(privateFolder);
    const QStringList patterns{tempPrefix + QStringLiteral("*.mp4"), tempPrefix + QStringLiteral("*.mov")};
    for (const QString& file : dir.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System))
        candidates << dir.filePath(file);

    QList<Leftover> found;
    for (const QString& path : std::as_const(candidates)) {
        // Only files this program made: a link, or a file with another name
        // elsewhere, under a recording's name is never opened or changed.
        if (!isOwnPlainFile(path)) continue;
        // A recording under way in a running program holds its lock.
        platform::FileUseLock lock;
        if (!lock.tryLock(path)) continue;
        platform::media::FragmentCheck check;
        platform::media::trimToCompleteFragments(path, &check);
        if (!check.readable) continue;
        if (!check.usable()) {
            QFile::remove(path);
            continue;
        }
        const RecFormat format = path.endsWith(QLatin1String(".mov")) ? RecFormat::mov : RecFormat::mp4;
        const QDateTime when = QFileInfo(path).lastModified();
        lock.unlock();
        found.append(Leftover{path, exportRecording(path, format, captureFolder, when)});
    }
    return found;
}

}  // namespace klipo::RecFiles
