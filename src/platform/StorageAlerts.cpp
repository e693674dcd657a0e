#include "platform/StorageAlerts.h"

#include "platform/PathText.h"
#include "platform/SerialQueue.h"

#include <QCoreApplication>
#include <QList>
#include <QTimer>

#include <mutex>

namespace klipo::platform::storagealerts {

namespace {

// A handful is enough to tell the user; a failing disk must not pile up
// thousands while nobody listens.
constexpr qsizetype kMaxWaiting = 16;

struct State {
    std::mutex mutex;
    bool hasSink = false;  // mutex
    QList<Alert> waiting;  // mutex: made before there was a sink

    // Main thread only.
    std::function<void(const Alert&)> sink;
    int spacingMs = 0;
    QList<Alert> queue;
    bool showing = false;
    quint64 generation = 0;
};

State& state()
{
    static State* s = new State;
    return *s;
}

void keep(const Alert& alert)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.waiting.size() < kMaxWaiting) s.waiting.append(alert);
}

void showNext()
{
    State& s = state();
    if (s.showing || s.queue.isEmpty() || !s.sink) return;
    const Alert alert = s.queue.takeFirst();
    if (s.spacingMs > 0) {
        s.showing = true;
        const quint64 generation = s.generation;
        QTimer::singleShot(s.spacingMs, QCoreApplication::instance(), [generation] {
            State& st = state();
            if (generation != st.generation) return;
            st.showing = false;
            showNext();
        });
    }
    s.sink(alert);
}

// Main thread.
void deliver(const Alert& alert)
{
    State& s = state();
    if (!s.sink) return keep(alert);
    // The same failure again (every change on a full disk) is one alert.
    if (!s.queue.contains(alert) && s.queue.size() < kMaxWaiting) s.queue.append(alert);
    showNext();
}

}  // namespace

void report(const QString& title, const QString& detail)
{
    const Alert alert{title, detail};
    bool hasSink;
    {
        std::lock_guard lock(state().mutex);
        hasSink = state().hasSink;
    }
    if (!hasSink) return keep(alert);
    runOnMain([alert] { deliver(alert); });
}

void reportNotSaved(const QString& what, const QString& reason)
{
    report(QStringLiteral("%1未能保存").arg(what), reason);
}

void reportMovedAside(const QString& what, const QString& reason, const QString& newPath)
{
    report(QStringLiteral("%1无法使用：%2").arg(what, reason),
           QStringLiteral("原文件已移到 %1").arg(shownPath(newPath)));
}

void setSink(std::function<void(const Alert&)> sink, int spacingMs)
{
    State& s = state();
    QList<Alert> waiting;
    {
        std::lock_guard lock(s.mutex);
        s.hasSink = bool(sink);
        if (sink) waiting.swap(s.waiting);
    }
    s.sink = std::move(sink);
    s.spacingMs = spacingMs;
    s.queue.clear();
    s.showing = false;
    ++s.generation;
    for (const Alert& alert : std::as_const(waiting)) deliver(alert);
}

}  // namespace klipo::platform::storagealerts
