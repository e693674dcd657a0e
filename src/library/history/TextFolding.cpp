#include "library/history/TextFolding.h"

#include <QSet>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

namespace klipo {

namespace textfolding {

QString fold(const QString& text)
{
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) return text.toLower();
    // Compatibility decomposition turns full-width and other variant forms
    // into their plain letters and splits accented letters from their marks.
    QString decomposed = text.normalized(QString::NormalizationForm_KD);
    decomposed.removeIf([](QChar c) { return c.isMark(); });
    // Simple case folding keeps "ß"; searching for "strasse" should find it.
    return decomposed.toCaseFolded().replace(QChar(0x00DF), QLatin1String("ss"));
}

}  // namespace textfolding

namespace {

using Folded = RecordFolds::Folded;

size_t sourceHash(const HistoryRecord& record) { return qHashMulti(0, record.originalText, record.translatedText); }

QHash<QUuid, Folded> foldAll(const QList<HistoryRecord>& records)
{
    const QList<Folded> folded = QtConcurrent::blockingMapped(records, [](const HistoryRecord& record) {
        return Folded{textfolding::fold(record.originalText), textfolding::fold(record.translatedText),
                      sourceHash(record)};
    });
    QHash<QUuid, Folded> result;
    result.reserve(records.size());
    for (qsizetype i = 0; i < records.size(); ++i) result.insert(records.at(i).id, folded.at(i));
    return result;
}

}  // namespace

RecordFolds::~RecordFolds() { m_job.waitForFinished(); }

void RecordFolds::takeFinishedJob(bool wait)
{
    if (!m_job.isValid()) return;
    if (!wait && !m_job.isFinished()) return;
    m_job.waitForFinished();
    m_folds.insert(m_job.result());
    m_job = {};
}

QList<HistoryRecord> RecordFolds::missing(const QList<HistoryRecord>& records) const
{
    QList<HistoryRecord> result;
    for (const HistoryRecord& record : records) {
        const auto found = m_folds.constFind(record.id);
        if (found == m_folds.constEnd() || found->sourceHash != sourceHash(record)) result.append(record);
    }
    return result;
}

void RecordFolds::prepare(const QList<HistoryRecord>& records)
{
    takeFinishedJob(false);
    if (m_job.isValid()) return;  // complete() catches up with what it leaves
    QSet<QUuid> present;
    present.reserve(records.size());
    for (const HistoryRecord& record : records) present.insert(record.id);
    m_folds.removeIf([&](const auto& entry) { return !present.contains(entry.key()); });
    const QList<HistoryRecord> toFold = missing(records);
    if (!toFold.isEmpty()) m_job = QtConcurrent::run([toFold] { return foldAll(toFold); });
}

void RecordFolds::complete(const QList<HistoryRecord>& records)
{
    takeFinishedJob(true);
    const QList<HistoryRecord> toFold = missing(records);
    if (!toFold.isEmpty()) m_folds.insert(foldAll(toFold));
}

const RecordFolds::Folded* RecordFolds::folded(const QUuid& id) const
{
    const auto found = m_folds.constFind(id);
    return found == m_folds.constEnd() ? nullptr : &found.value();
}

}  // namespace klipo
