#pragma once

#include "StoreTestSupport.h"

#include "stores/CloudBackup.h"
#include "stores/CloudScheduler.h"

#include <QCoreApplication>

#include <deque>
#include <map>

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
    w.normalized = key;
    w.display = key;
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

// A clock that moves only when told; background work waits until runJobs().
class FakeScheduler final : public CloudScheduler {
public:
    QDateTime now() override { return kCloudT0.addMSecs(qint64(m_seconds * 1000)); }
    Ticket after(double seconds, std::function<void()> task) override
    {
        Ticket ticket;
        m_timers.emplace(m_seconds + seconds, std::pair{ticket, std::move(task)});
        return ticket;
    }
    void background(std::function<void()> task) override { m_jobs.push_back(std::move(task)); }

    // Moves the clock on, running each timer that comes due on the way.
    void advance(double seconds)
    {
        const double end = m_seconds + seconds;
        while (!m_timers.empty() && m_timers.begin()->first <= end) {
            auto [due, timer] = std::move(*m_timers.begin());
            m_timers.erase(m_timers.begin());
            m_seconds = due;
            if (!timer.first.isCancelled()) timer.second();
        }
        m_seconds = end;
    }
    // Runs the background work and lets its results reach the main thread.
    void runJobs()
    {
        while (!m_jobs.empty()) {
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            job();
            QCoreApplication::processEvents();
        }
    }

private:
    double m_seconds = 0;
    std::multimap<double, std::pair<Ticket, std::function<void()>>> m_timers;
    std::deque<std::function<void()>> m_jobs;
};

}  // namespace klipo::test
