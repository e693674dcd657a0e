#include "library/history/HistoryRecordModel.h"

#include <numeric>

namespace klipo {

HistoryRecordModel::HistoryRecordModel(QObject* parent) : QAbstractListModel(parent) {}

void HistoryRecordModel::setRecords(const QList<HistoryRecord>& records)
{
    beginResetModel();
    m_records = records;
    m_positions.clear();
    m_positions.reserve(m_records.size());
    for (qsizetype i = 0; i < m_records.size(); ++i) m_positions.insert(m_records.at(i).id, int(i));
    // Folded now, in the background, so that the first keystroke finds them ready.
    m_folds.prepare(m_records);
    filter(false);
    endResetModel();
}

void HistoryRecordModel::setKeyword(const QString& keyword)
{
    const QString trimmed = keyword.trimmed();
    if (trimmed == m_keyword) return;
    beginResetModel();
    m_keyword = trimmed;
    filter(true);
    endResetModel();
}

void HistoryRecordModel::filter(bool narrowing)
{
    if (m_keyword.isEmpty()) {
        m_foldedKeyword.clear();
        m_shown.resize(m_records.size());
        std::iota(m_shown.begin(), m_shown.end(), 0);
        return;
    }
    const QString word = textfolding::fold(m_keyword);
    // A word that extends the last one can only match fewer records.
    const bool withinLast = narrowing && !m_foldedKeyword.isEmpty() && word.contains(m_foldedKeyword);
    QList<int> candidates;
    if (withinLast) {
        candidates = m_shown;
    } else {
        candidates.resize(m_records.size());
        std::iota(candidates.begin(), candidates.end(), 0);
    }
    m_folds.complete(m_records);
    m_shown.clear();
    for (const int index : std::as_const(candidates)) {
        const RecordFolds::Folded* folded = m_folds.folded(m_records.at(index).id);
        if (folded && folded->contains(word)) m_shown.append(index);
    }
    m_foldedKeyword = word;
}

int HistoryRecordModel::rowOf(const QUuid& id) const
{
    const auto found = m_positions.constFind(id);
    return found == m_positions.constEnd() ? -1 : int(m_shown.indexOf(found.value()));
}

void HistoryRecordModel::refreshRecord(const QUuid& id)
{
    const int row = rowOf(id);
    if (row < 0) return;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
}

int HistoryRecordModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_shown.size()); }

QVariant HistoryRecordModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size()) return {};
    const HistoryRecord& record = recordAt(index.row());
    return role == Qt::DisplayRole ? QVariant(record.displayTitle()) : QVariant();
}

}  // namespace klipo
