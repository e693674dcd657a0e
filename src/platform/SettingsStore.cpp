#include "platform/SettingsStore.h"

#include "platform/FileLock.h"
#include "platform/SafeFile.h"
#include "platform/SafeFileLeftovers.h"
#include "platform/StorageAlerts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <sys/stat.h>

namespace klipo::platform {

namespace {

constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
// Another copy holds the lock only while it reads and replaces a small file.
constexpr int kLockWaitMs = 3000;
// Several events come with one replacement of the file: one reading for all.
constexpr int kRereadDelayMs = 60;

QString settingsWhat() { return QStringLiteral("设置"); }

QString defaultPath()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/KlipoVersa/defaults.json");
}
// Where the settings are written: the file itself, or, when its name is a
// link to a file (settings kept with other dotfiles), the file the link
// leads to, replaced in its own folder the way editors do, so the link
// stays. A link that leads nowhere is left alone.
QString writeTarget(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

}  // namespace

struct SettingsStore::FileState {
    enum class Kind { values, missing, unusable };
    Kind kind = Kind::missing;
    Values values;
    QString problem;  // for the user, when unusable
};

SettingsStore& SettingsStore::shared()
{
    static SettingsStore* store = new SettingsStore(defaultPath());
    return *store;
}

SettingsStore::SettingsStore(QString filePath, QObject* parent) : QObject(parent), m_path(std::move(filePath))
{
    load();
    startWatching();
}

SettingsStore::FileState SettingsStore::readFile() const
{
    FileState state;
    const safefile::ReadResult read = safefile::readFile(m_path, kMaxFileBytes);
    if (read.status == safefile::ReadStatus::Missing) return state;
    state.kind = FileState::Kind::unusable;
    state.problem = read.error;
    if (!read.ok()) return state;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(read.data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        state.problem = QStringLiteral("内容已损坏");
        return state;
    }
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) state.values.insert(it.key(), it.value());
    state.kind = FileState::Kind::values;
    return state;
}

bool SettingsStore::setAside(const QString& problem) const
{
    // Keep the file for the user instead of overwriting it with the next change.
    const QString stamp = QFileInfo(m_path).fileName() + QStringLiteral(".corrupt-") +
                          QString::number(QDateTime::currentSecsSinceEpoch());
    const QString aside = safefile::moveAside(m_path, stamp, QString());
    if (aside.isEmpty()) return false;
    storagealerts::reportMovedAside(QStringLiteral("设置文件"), problem, aside);
    return true;
}

void SettingsStore::load()
{
    FileState state;
    bool damaged = false;
    {
        const FolderLock lock(folderOf(m_path), kLockWaitMs);
        // What a write cut short by a crash left beside the file.
        const QFileInfo target(writeTarget(m_path));
        safefile::removeLeftoverTemporaries(target.absolutePath(),
                                            [name = target.fileName()](const QString& of) { return of == name; });
        state = readFile();
        damaged = state.kind == FileState::Kind::unusable;
        if (damaged && !setAside(state.problem))
            storagealerts::report(QStringLiteral("设置文件无法使用：%1").arg(state.problem),
                                  QStringLiteral("原文件无法移开，本次运行中的设置更改不会保存"));
    }
    {
        QMutexLocker locker(&m_mutex);
        m_recoveredFromDamage = damaged;
        applyUnsaved(state.values);
    }
    adopt(state.values);
}

void SettingsStore::reload() { load(); }

void SettingsStore::applyUnsaved(Values& values) const
{
    for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it) {
        if (it.value().isUndefined())
            values.remove(it.key());
        else
            values.insert(it.key(), it.value());
    }
}

void SettingsStore::adopt(const Values& values)
{
    QStringList changed;
    {
        QMutexLocker lock(&m_mutex);
        QSet<QString> keys(m_values.keyBegin(), m_values.keyEnd());
        for (auto it = values.cbegin(); it != values.cend(); ++it) keys.insert(it.key());
        for (const QString& key : keys) {
            const auto before = m_values.constFind(key);
            const auto after = values.constFind(key);
            const bool same = (before == m_values.cend()) == (after == values.cend()) &&
                              (before == m_values.cend() || *before == *after);
            if (!same) changed.append(key);
        }
        m_values = values;
    }
    changed.sort();
    for (const QString& key : std::as_const(changed)) Q_EMIT valueChanged(key);
}

bool SettingsStore::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_overrides.contains(key) || m_values.contains(key);
}

QStringList SettingsStore::keys() const
{
    QMutexLocker lock(&m_mutex);
    QStringList all = m_values.keys();
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it)
        if (!m_values.contains(it.key())) all.append(it.key());
    all.sort();
    return all;
}

QJsonValue SettingsStore::value(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    const auto overridden = m_overrides.constFind(key);
    if (overridden != m_overrides.constEnd()) return *overridden;
    return m_values.value(key, QJsonValue(QJsonValue::Undefined));
}

void SettingsStore::setProcessOverride(const QString& key, const QJsonValue& value)
{
    {
        QMutexLocker lock(&m_mutex);
        if (value.isUndefined())
            m_overrides.remove(key);
        else
            m_overrides.insert(key, value);
    }
    Q_EMIT valueChanged(key);
}

bool SettingsStore::boolValue(const QString& key, bool fallback) const
{
    const QJsonValue v = value(key);
    return v.isBool() ? v.toBool() : fallback;
}

QString SettingsStore::stringValue(const QString& key, const QString& fallback) const
{
    const QJsonValue v = value(key);
    return v.isString() ? v.toString() : fallback;
}

bool SettingsStore::setValue(const QString& key, const QJsonValue& value) { return commit(key, value); }

bool SettingsStore::remove(const QString& key) { return commit(key, QJsonValue(QJsonValue::Undefined)); }

bool SettingsStore::commit(const QString& key, const QJsonValue& value)
{
    Values merged;
    {
        QMutexLocker locker(&m_mutex);
        merged = m_values;  // what this copy knows, for a file that is gone or unusable
    }
    QString failure;
    {
        const QString folder = folderOf(m_path);
        if (!QFileInfo::exists(folder)) safefile::makePrivateFolder(folder);
        const FolderLock lock(folder, kLockWaitMs);
        FileState now;
        if (lock.status() == FileLock::Status::Busy) {
            failure = QStringLiteral("另一个 KlipoVersa 一直占用着设置文件，请稍后再改一次");
        } else {
            now = readFile();
            if (now.kind == FileState::Kind::values)
                merged = now.values;  // every other copy's changes included
            else if (now.kind == FileState::Kind::unusable && !setAside(now.problem))
                failure = QStringLiteral("原文件无法读取也无法移开，不能覆盖");
        }
        const bool alreadySo = value.isUndefined() ? !merged.contains(key)
                                                   : merged.contains(key) && merged.value(key) == value;
        QMutexLocker locker(&m_mutex);
        // Changes of ours an earlier write could not store go with this one.
        m_unsaved.insert(key, value);
        applyUnsaved(merged);
        const bool nothingNew = alreadySo && m_unsaved.size() == 1 && now.kind == FileState::Kind::values;
        locker.unlock();
        if (failure.isEmpty() && !nothingNew) failure = write(merged);
        locker.relock();
        m_writeFailed = !failure.isEmpty();
        if (!m_writeFailed) m_unsaved.clear();
    }
    if (!failure.isEmpty()) storagealerts::reportNotSaved(settingsWhat(), failure);
    // Announced once the lock is given up: a listener may change a setting in turn.
    adopt(merged);
    watchPaths();
    return failure.isEmpty();
}

QString SettingsStore::write(const Values& values) const
{
    QJsonObject object;
    for (auto it = values.begin(); it != values.end(); ++it) object.insert(it.key(), it.value());
    const QString target = writeTarget(m_path);
    // A linked file keeps the permissions the user gave it.
    mode_t mode = 0600;
    struct stat st {};
    if (target != m_path && ::stat(QFile::encodeName(target).constData(), &st) == 0) mode = st.st_mode & 0777;
    const safefile::WriteResult written =
        safefile::writeFile(target, QJsonDocument(object).toJson(QJsonDocument::Indented), mode);
    return written ? QString() : written.error;
}

bool SettingsStore::lastWriteFailed() const
{
    QMutexLocker lock(&m_mutex);
    return m_writeFailed;
}

bool SettingsStore::recoveredFromDamage() const
{
    QMutexLocker lock(&m_mutex);
    return m_recoveredFromDamage;
}

// ---- other copies' changes --------------------------------------------------

void SettingsStore::startWatching()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;  // no event loop to hear of changes in
    if (QThread::currentThread() != app->thread()) {
        // Made on a worker first: it lives on the main thread like the interface that follows it.
        moveToThread(app->thread());
        QMetaObject::invokeMethod(this, [this] { startWatching(); }, Qt::QueuedConnection);
        return;
    }
    m_watcher = new QFileSystemWatcher(this);
    m_rereadTimer = new QTimer(this);
    m_rereadTimer->setSingleShot(true);
    m_rereadTimer->setInterval(kRereadDelayMs);
    connect(m_rereadTimer, &QTimer::timeout, this, &SettingsStore::takeInOtherChanges);
    const auto later = [this] { m_rereadTimer->start(); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, later);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, later);
    watchPaths();
}

void SettingsStore::watchPaths()
{
    if (!m_watcher || QThread::currentThread() != thread()) return;
    // The folder tells of a file replaced by renaming, the file of one written in place.
    const QString target = writeTarget(m_path);
    QStringList wanted{folderOf(m_path), m_path};
    if (target != m_path) wanted << folderOf(target) << target;
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    for (const QString& path : std::as_const(wanted))
        if (!watched.contains(path) && QFileInfo::exists(path)) m_watcher->addPath(path);
}

void SettingsStore::takeInOtherChanges()
{
    watchPaths();
    const FileState now = readFile();
    // A file caught half-written by an editor, or gone, changes nothing here:
    // the next change of ours puts back what we know.
    if (now.kind != FileState::Kind::values) return;
    Values values = now.values;
    {
        QMutexLocker lock(&m_mutex);
        applyUnsaved(values);  // still ours until a write stores them
    }
    adopt(values);
}

}  // namespace klipo::platform
