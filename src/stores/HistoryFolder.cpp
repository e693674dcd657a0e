#include "stores/HistoryFolder.h"

#include "platform/OwnFolders.h"
#include "platform/SafeFileLeftovers.h"
#include "stores/HistoryRecord.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include <sys/stat.h>

namespace klipo::historyfolder {

namespace {

const QString kIndexName = QStringLiteral("index.json");

bool isMovedAsideIndex(const QString& name)
{
    return name.startsWith(QLatin1String("index-broken-")) && name.endsWith(QLatin1String(".json"));
}

enum class Kind { missing, link, folder, file, other };

Kind kindOf(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return Kind::missing;
    if (S_ISLNK(st.st_mode)) return Kind::link;
    if (S_ISDIR(st.st_mode)) return Kind::folder;
    if (S_ISREG(st.st_mode)) return Kind::file;
    return Kind::other;
}

// Unsorted: a large history folder holds tens of thousands of images.
QStringList entriesOf(const QString& folder, bool withHidden, const QStringList& nameFilters = {})
{
    QDir::Filters filters = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    if (withHidden) filters |= QDir::Hidden;
    return QDir(folder).entryList(nameFilters, filters, QDir::NoSort);
}

}  // namespace

bool isLinked(const QString& folder) { return platform::ownfolders::isLinked(folder); }

bool isPngName(const QString& name) { return name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive); }

bool hasMovedAsideIndex(const QString& folder) { return !movedAsideIndexes(folder).isEmpty(); }

QStringList movedAsideIndexes(const QString& folder)
{
    QStringList names = entriesOf(folder, false, {QStringLiteral("index-broken-*.json")});
    names.removeIf([](const QString& name) { return !isMovedAsideIndex(name); });
    // "index-broken-<seconds>[-<n>].json": by the seconds, then by n.
    const auto order = [](const QString& name) {
        const QStringList parts = name.mid(13).chopped(5).split(u'-');
        return std::pair(parts.value(0).toLongLong(), parts.value(1).toInt());
    };
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return order(a) > order(b); });
    return names;
}

QStringList unnamedImages(const QString& folder, const QSet<QString>& named)
{
    QStringList unnamed;
    for (const QString& name : entriesOf(folder, false)) {
        if (isPngName(name) && !named.contains(name) && kindOf(folder + QLatin1Char('/') + name) == Kind::file)
            unnamed.append(name);
    }
    return unnamed;
}

bool isOwnImageName(const QString& name)
{
    if (!name.endsWith(QLatin1String(".png"))) return false;
    QString stem = name.chopped(4);
    if (stem.endsWith(QLatin1String("-src"))) stem.chop(4);
    return parseUuid(stem).has_value();
}

void removeOrphanImages(const QString& folder, const QSet<QString>& named)
{
    for (const QString& name : unnamedImages(folder, named)) QFile::remove(folder + QLatin1Char('/') + name);
}

void clear(const QString& folder, const QSet<QString>& named, bool linked)
{
    if (!linked) {
        // Qt removes links met inside the folder as links, never what they lead to.
        QDir(folder).removeRecursively();
        return;
    }
    removeLeftoverTemporaries(folder);
    for (const QString& name : entriesOf(folder, true)) {
        const bool own = name == kIndexName || name == kDamageNoteName || name == kSaveNoteName ||
                         isMovedAsideIndex(name) || (isPngName(name) && named.contains(name));
        const QString path = folder + QLatin1Char('/') + name;
        if (own && kindOf(path) == Kind::file) QFile::remove(path);
    }
}

int removeLeftoverTemporaries(const QString& folder)
{
    return platform::safefile::removeLeftoverTemporaries(folder, [](const QString& target) {
        return target == kIndexName || target == kDamageNoteName || target == kSaveNoteName ||
               isMovedAsideIndex(target) || isOwnImageName(target);
    });
}

}  // namespace klipo::historyfolder
