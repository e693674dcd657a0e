#include "stores/HistoryRescue.h"

#include "stores/HistoryFolder.h"
#include "stores/HistoryIndex.h"
#include "stores/StoreFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace klipo::historyrescue {

namespace {

QString pathIn(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// A plain image file directly in the folder, not a link.
bool isImageIn(const QString& folder, const QString& name)
{
    if (!historyindex::isSafeFileName(name) || !historyfolder::isPngName(name)) return false;
    const QFileInfo info(pathIn(folder, name));
    return info.isFile() && !info.isSymLink();
}

template <typename Use>
void forEachMovedAsideIndex(const QString& folder, Use use)
{
    for (const QString& name : historyfolder::movedAsideIndexes(folder)) {
        const platform::safefile::ReadResult read = storefiles::readStoreFile(pathIn(folder, name));
        if (read.ok()) use(name, historyindex::salvage(read.data).records);
    }
}

}  // namespace

Found recordsOnlyInMovedAsideIndexes(const QString& folder, const QSet<QString>& named)
{
    Found found;
    // Without an image that no index names there is nothing to find: the
    // usual start reads no moved-aside file.
    const QStringList unnamed = historyfolder::unnamedImages(folder, named);
    if (unnamed.isEmpty()) return found;
    QSet<QString> waiting(unnamed.begin(), unnamed.end());
    forEachMovedAsideIndex(folder, [&](const QString& name, const QList<HistoryRecord>& records) {
        const qsizetype before = found.records.size();
        for (const HistoryRecord& record : records) {
            if (record.isDamaged() || !waiting.remove(record.imageName)) continue;
            if (record.originalImageName) waiting.remove(*record.originalImageName);
            found.records.append(record);
        }
        if (found.records.size() > before) found.from.append(name);
    });
    return found;
}

QSet<QString> imageNamesInMovedAsideIndexes(const QString& folder)
{
    QSet<QString> names;
    forEachMovedAsideIndex(folder, [&](const QString&, const QList<HistoryRecord>& records) {
        for (const HistoryRecord& record : records) {
            if (!record.imageName.isEmpty()) names.insert(record.imageName);
            if (record.originalImageName) names.insert(*record.originalImageName);
        }
    });
    return names;
}

bool noteSave(const QString& folder, const HistoryRecord& record, QString* error)
{
    const QByteArray note = QJsonDocument(record.toJson()).toJson(QJsonDocument::Compact);
    const platform::safefile::WriteResult written =
        storefiles::writeStoreFile(pathIn(folder, historyfolder::kSaveNoteName), note);
    if (!written && error) *error = written.error;
    return bool(written);
}

void forgetSave(const QString& folder) { QFile::remove(pathIn(folder, historyfolder::kSaveNoteName)); }

bool hasNotedSave(const QString& folder) { return QFileInfo::exists(pathIn(folder, historyfolder::kSaveNoteName)); }

std::optional<HistoryRecord> unfinishedSave(const QString& folder, const QSet<QString>& named)
{
    const platform::safefile::ReadResult read = storefiles::readStoreFile(pathIn(folder, historyfolder::kSaveNoteName));
    if (read.status == platform::safefile::ReadStatus::Missing) return std::nullopt;
    const QJsonDocument note = QJsonDocument::fromJson(read.data);
    std::optional<HistoryRecord> record;
    if (note.isObject()) record = HistoryRecord::fromJson(note.object());
    if (record && !named.contains(record->imageName)) {
        const bool hasSource = record->originalImageName && isImageIn(folder, *record->originalImageName);
        if (isImageIn(folder, record->imageName)) {
            if (!hasSource) record->originalImageName.reset();
            return record;
        }
        if (hasSource) {  // killed before its shown image was stored: the source is all there is
            record->imageName = *record->originalImageName;
            record->originalImageName.reset();
            return record;
        }
    }
    forgetSave(folder);
    return std::nullopt;
}

}  // namespace klipo::historyrescue
