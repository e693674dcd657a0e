#pragma once

#include "stores/CloudBackup.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace klipo {

namespace platform {
class SettingsStore;
}

// The backup folder and the files in it: one "KlipoVersa-Backup-<id>.json"
// per computer, where the user's own sync tool may keep the folder in step
// with other computers. Files of other computers are untrusted: only regular
// files are read (never through a link), each up to a size cap, and nothing
// is ever written but this computer's own file.
namespace cloudfolder {

inline const QString kFolderKey = QStringLiteral("cloudBackupFolder");
inline const QString kDeviceIdKey = QStringLiteral("cloudDeviceID");
// A digest of the machine the device id was made on.
inline const QString kDeviceMachineKey = QStringLiteral("cloudDeviceMachine");

// The largest backup file read.
constexpr qint64 kMaxBackupFileBytes = 256LL * 1024 * 1024;

// $XDG_DATA_HOME/KlipoVersa/Cloud
QString defaultFolder();
// "cloudBackupFolder" when it holds a non-empty text, else the default.
QString folder(const platform::SettingsStore& settings);

// The folder exists as a folder and a file can be made in it; otherwise the
// reason, for the user. A missing folder is made (with its parents) only when
// `ours` (the default folder): one the user chose may be on a share or disk
// that is not mounted, and one made in its place would hide under it.
struct Availability {
    bool available = false;
    QString reason;
};
Availability checkAvailability(const QString& folder, bool ours);

// True for 1 to 36 of [A-Za-z0-9-]: safe inside a file name.
bool isValidDeviceId(const QString& id);
// This computer's id: the stored "cloudDeviceID" when it is valid and was
// made on this machine, else a new one (8 upper-case hex digits), stored
// with the machine's digest. Main thread (it may write the settings).
// `machineIdPath` names the file whose content identifies the machine; when
// it cannot be read, a valid stored id is kept.
//
// The id is also kept in a file of its own beside the settings file
// ("cloud-device-id": the id, then the machine's digest, one per line), made
// once and never written over by another copy of the program that runs on
// the same settings: whichever copy makes it first, every copy uses its id,
// so one computer writes one backup file. The settings key mirrors it.
QString deviceId(platform::SettingsStore& settings, const QString& machineIdPath = QStringLiteral("/etc/machine-id"));

QString fileName(const QString& deviceId);
QString filePath(const QString& folder, const QString& deviceId);

// The names of every computer's backup file in the folder, in ascending
// order: "KlipoVersa-Backup" ... ".json". Empty when the folder cannot be read.
QStringList backupFileNames(const QString& folder);

// A file that was listed but not used, with the reason.
struct SkippedFile {
    QString name;
    QString reason;
};

struct ReadResult {
    std::optional<CloudBackup> backup;
    QList<SkippedFile> skipped;
};
// Reads one backup file: nothing (and the reason) when it is a link, not a
// regular file, larger than the cap, unreadable or not a backup.
// With a limit, only the words it keeps are held (cloudbackup::WordLimit).
ReadResult readBackupFile(const QString& path, const QDateTime& now, cloudbackup::WordLimit* limit = nullptr);

// Reads every backup file of the folder in name order and folds them into
// one; `backup` is empty when no file could be used. Blocks: never call it on
// the main thread.
ReadResult readMerged(const QString& folder, const QDateTime& now, cloudbackup::WordLimit* limit = nullptr);

}  // namespace cloudfolder

}  // namespace klipo
