#include "recording/RecFiles.h"

#include "platform/FileErrors.h"
#include "platform/FileUseLock.h"
#include "platform/FileMove.h"
#include "platform/media/FragmentedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QUuid>

#include <fcntl.h>
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

std::optional<QString> createTempFile(const QString& captureFolder, const QString& tempFolder, RecFormat format)
{
    const QString name =
        tempPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('.') + extension(format);
    if (!captureFolder.isEmpty() && QDir().mkpath(captureFolder)) {
        const QString hidden = QDir(captureFolder).filePath(QLatin1Char('.') + name);
        if (createExclusive(hidden)) return hidden;
    }
    const QString plain = QDir(tempFolder).filePath(name);
    if (createExclusive(plain)) return plain;
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

QList<Leftover> recoverLeftovers(const QString& captureFolder, const QString& tempFolder)
{
    QStringList candidates;
    const QStringList patterns{tempPrefix + QStringLiteral("*.mp4"), tempPrefix + QStringLiteral("*.mov")};
    const auto collect = [&candidates](const QString& folder, const QString& prefix, const QStringList& names) {
        if (folder.isEmpty()) return;
        QStringList filters;
        for (const QString& name : names) filters << prefix + name;
        const QDir dir(folder);
        for (const QString& file : dir.entryList(filters, QDir::Files | QDir::Hidden | QDir::System))
            candidates << dir.filePath(file);
    };
    collect(captureFolder, QStringLiteral("."), patterns);
    collect(tempFolder, QString(), patterns);

    QList<Leftover> found;
    for (const QString& path : std::as_const(candidates)) {
        // A recording under way in a running program holds its lock.
        platform::FileUseLock lock;
        if (!lock.tryLock(path)) continue;
        platform::media::FragmentCheck check;
        platform::media::trimToCompleteFragments(path, &check);
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
