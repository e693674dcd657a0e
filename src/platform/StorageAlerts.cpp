#include "platform/StorageAlerts.h"

#include "platform/SerialQueue.h"

#include <QDir>
#include <QList>

#include <mutex>

namespace klipo::platform::storagealerts {

namespace {

// A handful is enough to tell the user; a failing disk must not pile up
// thousands while nobody listens.
constexpr qsizetype kMaxWaiting = 16;

struct State {
    std::mutex mutex;
    std::function<void(const Alert&)> sink;  // used on the main thread only
    QList<Alert> waiting;
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

void deliver(const Alert& alert)
{
    std::function<void(const Alert&)> sink;
    {
        std::lock_guard lock(state().mutex);
        sink = state().sink;
    }
    if (sink)
        sink(alert);
    else
        keep(alert);
}

}  // namespace

void report(const QString& title, const QString& detail)
{
    const Alert alert{title, detail};
    bool hasSink;
    {
        std::lock_guard lock(state().mutex);
        hasSink = bool(state().sink);
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
    QString shown = newPath;
    const QString home = QDir::homePath();
    if (shown.startsWith(home + QLatin1Char('/'))) shown = QLatin1Char('~') + shown.mid(home.size());
    report(QStringLiteral("%1无法使用：%2").arg(what, reason), QStringLiteral("原文件已移到 %1").arg(shown));
}

void setSink(std::function<void(const Alert&)> sink)
{
    QList<Alert> waiting;
    {
        State& s = state();
        std::lock_guard lock(s.mutex);
        s.sink = sink;
        if (sink) waiting.swap(s.waiting);
    }
    for (const Alert& alert : std::as_const(waiting)) sink(alert);
}

}  // namespace klipo::platform::storagealerts
