#include "stores/CloudFolder.h"

#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"
#include "stores/StoreFiles.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::cloudfolder {

namespace safefile = platform::safefile;

namespace {

const QString kPrefix = QStringLiteral("KlipoVersa-Backup");
const QString kSuffix = QStringLiteral(".json");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

}  // namespace

QString defaultFolder() { return storefiles::defaultDataDirectory() + QStringLiteral("/Cloud"); }

QString folder(const platform::SettingsStore& settings)
{
    const QString chosen = settings.stringValue(kFolderKey);
    return chosen.isEmpty() ? defaultFolder() : chosen;
}

Availability checkAvailability(const QString& path, bool ours)
{
    if (!QDir::isAbsolutePath(path)) return {false, QStringLiteral("不是完整的文件夹路径")};
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return {false, safefile::reasonFor(errno)};
        if (!ours)
            return {false, QStringLiteral("所选的文件夹 %1 不存在。如果它在网络共享或移动硬盘上，请先连接；"
                                          "也可以重新选择备份文件夹")
                               .arg(QDir::toNativeSeparators(path))};
        // Only a folder we make is made private; one the user chose stays as it is.
        if (!safefile::makePrivateFolder(path)) return {false, safefile::reasonFor(errno)};
    } else if (!S_ISDIR(st.st_mode)) {
        return {false, QStringLiteral("同名的不是文件夹")};
    }
    QByteArray probe = native(path + QStringLiteral("/.KlipoVersa-probe-XXXXXX"));
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0) return {false, safefile::reasonFor(errno)};
    ::close(fd);
    ::unlink(probe.constData());
    return {true, {}};
}

bool isValidDeviceId(const QString& id)
{
    if (id.isEmpty() || id.size() > 36) return false;
    return std::all_of(id.cbegin(), id.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'-';
    });
}

QString fileName(const QString& deviceId) { return kPrefix + QLatin1Char('-') + deviceId + kSuffix; }

QString filePath(const QString& folder, const QString& deviceId)
{
    return folder + QLatin1Char('/') + fileName(deviceId);
}

QStringList backupFileNames(const QString& folder)
{
    QStringList names;
    DIR* dir = ::opendir(native(folder).constData());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.startsWith(kPrefix) && name.endsWith(kSuffix) && name.size() >= kPrefix.size() + kSuffix.size())
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

ReadResult readBackupFile(const QString& path, const QDateTime& now, cloudbackup::WordLimit* limit)
{
    const QString name = QFileInfo(path).fileName();
    auto skipped = [&](const QString& reason) { return ReadResult{std::nullopt, {{name, reason}}}; };
    struct stat st {};
    if (::lstat(native(path).constData(), &st) == 0 && S_ISLNK(st.st_mode))
        return skipped(QStringLiteral("是符号链接，未读取"));
    const safefile::ReadResult read = safefile::readFile(path, kMaxBackupFileBytes);
    if (read.status == safefile::ReadStatus::Missing) return skipped(QStringLiteral("文件已不在"));
    if (!read.ok()) return skipped(read.error);
    std::optional<CloudBackup> backup = cloudbackup::decodeFile(read.data, now, limit);
    if (!backup) return skipped(QStringLiteral("不是有效的备份文件"));
    return {std::move(backup), {}};
}

ReadResult readMerged(const QString& folder, const QDateTime& now, cloudbackup::WordLimit* limit)
{
    ReadResult merged;
    for (const QString& name : backupFileNames(folder)) {
        ReadResult one = readBackupFile(folder + QLatin1Char('/') + name, now, limit);
        merged.skipped += one.skipped;
        if (!one.backup) continue;
        if (!merged.backup)
            merged.backup = std::move(one.backup);
        else
            cloudbackup::foldInto(*merged.backup, *one.backup, limit);
    }
    return merged;
}

}  // namespace klipo::cloudfolder
