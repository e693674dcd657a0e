#include "stores/CloudFolder.h"

#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace klipo::cloudfolder {

namespace safefile = platform::safefile;

namespace {

struct IdFile {
    QString id;
    QString machine;  // digest of the machine it was made on; may be empty
};

// What identifies this machine, hashed so the machine id itself is never
// stored; empty when there is nothing to go by.
QString machineDigest(const QString& machineIdPath)
{
    const safefile::ReadResult read = safefile::readFile(machineIdPath, 4096);
    const QByteArray id = read.ok() ? read.data.trimmed() : QByteArray();
    if (id.isEmpty()) return {};
    return QString::fromLatin1(
        QCryptographicHash::hash("KlipoVersa backup device:" + id, QCryptographicHash::Sha256).toHex().left(32));
}

QString idFilePath(const platform::SettingsStore& settings)
{
    return QFileInfo(settings.filePath()).absolutePath() + QStringLiteral("/cloud-device-id");
}

std::optional<IdFile> readIdFile(const QString& path)
{
    const safefile::ReadResult read = safefile::readFile(path, 4096);
    if (!read.ok()) return std::nullopt;
    const QStringList lines = QString::fromUtf8(read.data).split(QLatin1Char('\n'));
    const IdFile file{lines.value(0).trimmed(), lines.value(1).trimmed()};
    if (!isValidDeviceId(file.id)) return std::nullopt;
    return file;
}

QByteArray encode(const IdFile& file)
{
    return (file.id + QLatin1Char('\n') + file.machine + QLatin1Char('\n')).toUtf8();
}

bool exists(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Makes the file whole under its name only when no file has that name yet
// (written aside, then linked in, which never replaces anything). False when
// a file is there already or it could not be made.
bool createOnly(const QString& path, const QByteArray& data)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!safefile::makePrivateFolder(folder)) return false;
    QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/.cloud-device-id.XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, data.constData(), size_t(data.size())) == data.size() && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    const bool linked = written && closed && ::link(temporary.constData(), QFile::encodeName(path).constData()) == 0;
    ::unlink(temporary.constData());
    return linked;
}

// The id the settings hold for this machine, or a new one.
QString idFromSettings(const platform::SettingsStore& settings, const QString& machine)
{
    const QString stored = settings.stringValue(kDeviceIdKey);
    if (isValidDeviceId(stored)) {
        const QString madeOn = settings.stringValue(kDeviceMachineKey);
        // Without a machine to go by, or from before ids were tied to one.
        if (machine.isEmpty() || madeOn.isEmpty() || madeOn == machine) return stored;
    }
    // None yet, unusable in a file name, or copied here with the settings of
    // another computer, whose file it would overwrite.
    return QUuid::createUuid().toString(QUuid::WithoutBraces).left(8).toUpper();
}

QString mirrored(platform::SettingsStore& settings, const IdFile& file)
{
    if (settings.stringValue(kDeviceIdKey) != file.id) settings.setValue(kDeviceIdKey, file.id);
    if (file.machine.isEmpty())
        settings.remove(kDeviceMachineKey);
    else if (settings.stringValue(kDeviceMachineKey) != file.machine)
        settings.setValue(kDeviceMachineKey, file.machine);
    return file.id;
}

}  // namespace

QString deviceId(platform::SettingsStore& settings, const QString& machineIdPath)
{
    const QString machine = machineDigest(machineIdPath);
    const QString path = idFilePath(settings);
    const auto madeHere = [&](const IdFile& file) {
        return machine.isEmpty() || file.machine.isEmpty() || file.machine == machine;
    };
    if (const std::optional<IdFile> kept = readIdFile(path); kept && madeHere(*kept)) {
        // An id from before this machine's digest was kept with it.
        if (kept->machine.isEmpty() && !machine.isEmpty()) {
            const IdFile tied{kept->id, machine};
            safefile::writeFile(path, encode(tied), 0600);
            return mirrored(settings, tied);
        }
        return mirrored(settings, *kept);
    }
    const IdFile made{idFromSettings(settings, machine), machine};
    if (!exists(path)) {
        if (!createOnly(path, encode(made))) {
            // Another copy made it a moment ago: its id is this computer's.
            if (const std::optional<IdFile> other = readIdFile(path); other && madeHere(*other))
                return mirrored(settings, *other);
        }
    } else {
        // Another computer's (copied here with the settings) or unreadable.
        safefile::writeFile(path, encode(made), 0600);
    }
    return mirrored(settings, made);
}

}  // namespace klipo::cloudfolder
