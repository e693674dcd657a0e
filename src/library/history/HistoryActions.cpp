#include "library/history/HistoryActions.h"

#include "app/CaptureHUDController.h"
#include "app/Settings.h"
#include "platform/Clipboard.h"
#include "platform/FileDialogs.h"
#include "platform/PlatformServices.h"
#include "platform/SafeFile.h"
#include "platform/SerialQueue.h"
#include "stores/HistoryIndex.h"
#include "stores/HistoryStore.h"
#include "stores/StoreFiles.h"
#include "stores/VocabularyStore.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QPointer>
#include <QSaveFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

namespace klipo::historyactions {

namespace {

constexpr qint64 kLargestImageFile = qint64(1) << 30;

void tell(const QString& title, const QString& subtitle) { CaptureHUDController::shared().show(title, subtitle); }

// Why a change of the history failed: another running copy holds it, or `otherwise`.
QString failureReason(const HistoryStore& history, const QString& otherwise)
{
    return storefiles::isReadOnlyHere(history.directory()) ? storefiles::heldByAnotherCopy(QStringLiteral("历史记录"))
                                                           : otherwise;
}

// The ids of `ids` that the store's published list no longer holds.
QList<QUuid> gone(const HistoryStore& history, const QList<QUuid>& ids)
{
    QSet<QUuid> present;
    for (const HistoryRecord& record : history.records()) present.insert(record.id);
    QList<QUuid> result;
    for (const QUuid& id : ids)
        if (!present.contains(id)) result.append(id);
    return result;
}

}  // namespace

bool hasTranslation(const HistoryRecord& record) { return !record.translatedText.trimmed().isEmpty(); }

void copyTranslation(const HistoryRecord& record)
{
    if (!hasTranslation(record)) return;
    if (platform::Clipboard* clipboard = platform::services().clipboard) clipboard->setText(record.translatedText);
}

QString proposedFileName(const HistoryRecord& record)
{
    QString date = HistoryRecord::formatDate(record.date);
    date.replace(QLatin1Char(':'), QLatin1Char('.'));
    return QStringLiteral("KlipoVersa-") + date + QStringLiteral(".png");
}

StoredImage readStoredImage(const QString& historyDirectory, const HistoryRecord& record)
{
    const StoredImage unreadable{{}, QStringLiteral("这条记录的图片已丢失或无法读取")};
    if (!historyindex::isSafeFileName(record.imageName)) return unreadable;
    const platform::safefile::ReadResult read =
        platform::safefile::readFile(historyDirectory + QLatin1Char('/') + record.imageName, kLargestImageFile);
    if (!read.ok() || read.data.isEmpty()) return unreadable;
    QByteArray bytes = read.data;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format == "png" && reader.canRead()) return {read.data, {}};
    // Not PNG after all: whatever image it is goes out as PNG.
    const QImage image = reader.read();
    if (image.isNull()) return unreadable;
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    if (!image.save(&out, "PNG")) return {{}, QStringLiteral("无法把图片编码为 PNG")};
    return {png, {}};
}

QString writeImageFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

SavePathChooser& savePathChooser()
{
    static SavePathChooser chooser = [](QWidget* parent, const QString& proposed) {
        return platform::askSavePngPath(parent, QStringLiteral("保存图片"), proposed);
    };
    return chooser;
}

void saveImage(HistoryStore& store, const HistoryRecord& record, QWidget* parent)
{
    QPointer<QWidget> guard(parent);
    const QString directory = store.directory();
    (void)QtConcurrent::run([guard, directory, record] {
        StoredImage image = readStoredImage(directory, record);
        platform::runOnMain([guard, record, image = std::move(image)] {
            if (!guard) return;
            if (!image.error.isEmpty()) return tell(QStringLiteral("图片保存失败"), image.error);
            const QString path = savePathChooser()(guard, Settings::saveDialogPath(proposedFileName(record)));
            if (path.isEmpty()) return;
            const QString error = writeImageFile(path, image.png);
            if (!error.isEmpty()) tell(QStringLiteral("图片保存失败"), error);
        });
    });
}

// The book notes the records before the history lets them go: a run killed
// after the history's write and before the book's leaves the note, and the
// next launch detaches them then (storesatlaunch::settleVocabulary).
void deleteRecord(HistoryStore& history, VocabularyStore& vocabulary, const HistoryRecord& record)
{
    QPointer<HistoryStore> store(&history);
    QPointer<VocabularyStore> book(&vocabulary);
    const QUuid id = record.id;
    vocabulary.noteDetachPending({id}, [store, book, id] {
        if (!store) return;
        store->deleteRecords({id}, [store, book, id](bool) {
            if (!store) return;
            if (gone(*store, {id}).isEmpty()) {
                if (book) book->cancelDetachPending({id});
                return tell(QStringLiteral("删除失败"),
                            failureReason(*store, QStringLiteral("这条历史记录未能删除，单词本保持不变")));
            }
            if (book) book->detachRecord(HistoryRecord::idText(id));
        });
    });
}

void clearAll(HistoryStore& history, VocabularyStore& vocabulary)
{
    QList<QUuid> ids;
    for (const HistoryRecord& record : history.records()) ids.append(record.id);
    QPointer<HistoryStore> store(&history);
    QPointer<VocabularyStore> book(&vocabulary);
    vocabulary.noteDetachPending(ids, [store, book, ids] {
        if (!store) return;
        store->removeAll([store, book, ids] {
            if (!store) return;
            const QList<QUuid> removed = gone(*store, ids);
            if (book && !removed.isEmpty()) book->detachRecords(removed);
            if (book && removed.size() < ids.size()) {
                const QSet<QUuid> left =
                    QSet<QUuid>(ids.begin(), ids.end()) - QSet<QUuid>(removed.begin(), removed.end());
                book->cancelDetachPending(left.values());
            }
            if (removed.isEmpty() && !ids.isEmpty())
                tell(QStringLiteral("清空失败"),
                     failureReason(*store, QStringLiteral("历史记录未能清空，单词本保持不变")));
            else if (removed.size() < ids.size())
                tell(QStringLiteral("清空失败"), QStringLiteral("有些历史记录未能删除，它们的单词仍在单词本中"));
        });
    });
}

}  // namespace klipo::historyactions
