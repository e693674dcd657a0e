#pragma once

#include "stores/HistoryRecord.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

namespace klipo {

namespace textfolding {

// The text as the history search compares it: letter case, character width
// (full-width "ＡＢＣ" is "abc") and accents ("Ábc" is "abc") folded away,
// the same in every locale.
QString fold(const QString& text);

}  // namespace textfolding

// The folded texts of history records, kept by record id so that a keystroke
// or a new list folds only what it has not seen (a record whose text changed,
// as a screenshot's once its text is recognised, is folded again). Main thread; the folding
// itself runs on worker threads.
class RecordFolds {
public:
    struct Folded {
        QString original;
        QString translated;
        size_t sourceHash = 0;  // of the texts folded: a record whose text changed is folded again

        bool contains(const QString& foldedWord) const
        {
            return original.contains(foldedWord) || translated.contains(foldedWord);
        }
    };

    ~RecordFolds();

    // Starts folding, in the background, the records not folded yet, and
    // forgets records that are gone.
    void prepare(const QList<HistoryRecord>& records);
    // Waits for the background folding and folds whatever is still missing:
    // afterwards folded() answers for every record of the list.
    void complete(const QList<HistoryRecord>& records);
    const Folded* folded(const QUuid& id) const;

private:
    void takeFinishedJob(bool wait);
    QList<HistoryRecord> missing(const QList<HistoryRecord>& records) const;

    QHash<QUuid, Folded> m_folds;
    QFuture<QHash<QUuid, Folded>> m_job;
};

}  // namespace klipo
