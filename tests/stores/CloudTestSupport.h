#pragma once

#include "StoreTestSupport.h"

#include "stores/CloudBackup.h"

namespace klipo::test {

inline const QDateTime kCloudT0(QDate(2024, 5, 1), QTime(8, 30), Qt::UTC);

inline HistoryRecord cloudRecord(int n, const QDateTime& date, const QString& text = QStringLiteral("text"))
{
    HistoryRecord r;
    r.id = QUuid(QStringLiteral("{00000000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')));
    r.date = date;
    r.imageName = r.idText() + QStringLiteral(".png");
    r.originalText = text;
    r.translatedText = text;
    r.targetLanguage = QStringLiteral("zh-Hans");
    return r;
}

inline VocabularyWord cloudWord(const QString& key, qint64 count, bool mastered = false)
{
    VocabularyWord w;
    w.normalized = w.display = key;
    w.count = count;
    w.firstSeen = w.lastSeen = kCloudT0;
    w.isMastered = mastered;
    return w;
}

inline void writeBackup(const QString& path, const QDateTime& date, const QList<HistoryRecord>& records,
                        const QList<VocabularyWord>& words, const CloudBackup::Settings& settings = {})
{
    writeFile(path, cloudbackup::encodeFile(CloudBackup{1, date, records, words, settings}));
}

}  // namespace klipo::test
