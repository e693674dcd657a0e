#pragma once

#include "library/history/TextFolding.h"
#include "stores/HistoryRecord.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

namespace klipo {

// The records the history section shows, in the store's order (newest
// first), filtered by the search word over their source and translated
// text. The grid and the list are two views of this one model.
class HistoryRecordModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { RecordRole = Qt::UserRole + 1 };

    explicit HistoryRecordModel(QObject* parent = nullptr);

    // The store's list; the current search word is applied again.
    void setRecords(const QList<HistoryRecord>& records);
    // Filters by the word, trimmed; an empty word shows every record.
    void setKeyword(const QString& keyword);
    QString keyword() const { return m_keyword; }

    int totalCount() const { return int(m_records.size()); }
    const HistoryRecord& recordAt(int row) const { return m_records.at(m_shown.at(row)); }
    // The row showing the record, or -1.
    int rowOf(const QUuid& id) const;
    // Tells the views that a record's picture arrived.
    void refreshRecord(const QUuid& id);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    void filter(bool narrowing);

    QList<HistoryRecord> m_records;
    QHash<QUuid, int> m_positions;  // record id -> index in m_records
    QList<int> m_shown;             // indexes into m_records, in order
    QString m_keyword;              // trimmed
    QString m_foldedKeyword;        // of the last filter
    RecordFolds m_folds;
};

}  // namespace klipo
