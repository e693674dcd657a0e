#pragma once

// Small helpers shared by the benchmarks.

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace klipo::bench {

// HOME and the XDG folders inside `home`, made, by variable.
inline std::vector<std::pair<const char*, QString>> privateHomeFolders(const QTemporaryDir& home)
{
    std::vector<std::pair<const char*, QString>> folders;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const QString path = home.path() + QLatin1Char('/') + QString::fromLatin1(var);
        QDir().mkpath(path);
        folders.emplace_back(var, path);
    }
    return folders;
}

// Points HOME and the XDG folders into `home` for the whole run, so that a
// benchmark never touches the user's settings, history or clipboard files.
inline void usePrivateHome(const QTemporaryDir& home)
{
    for (const auto& [var, path] : privateHomeFolders(home)) qputenv(var, path.toLocal8Bit());
}

// The same for a program the benchmark starts: this process's environment
// with HOME and the XDG folders inside `home`.
inline QProcessEnvironment privateHomeEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [var, path] : privateHomeFolders(home)) env.insert(QString::fromLatin1(var), path);
    return env;
}

// A memory figure in KiB of a process's /proc status ("VmRSS", "VmHWM"), 0
// when unreadable; this process's unless another's id is given.
inline long statusKiB(const QByteArray& field, const QString& process = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    const QByteArray key = field + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').front().toLong();
    return 0;
}

// A process's resident memory in KiB (0 when unreadable); this process's
// unless another's id is given.
inline long residentKiB(const QString& process = QStringLiteral("self")) { return statusKiB("VmRSS", process); }

// The middle of the values (the upper one of the two middles for an even
// count); 0 when there are none.
inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One row of timings, "  label  median ... ms   (min ..., max ..., n runs)",
// the label padded to `labelWidth`; nothing when there are none.
inline void printTimes(const char* label, const std::vector<double>& ms, int labelWidth)
{
    if (ms.empty()) return;
    std::printf("  %-*s median %7.1f ms   (min %7.1f, max %7.1f, %zu runs)\n", labelWidth, label, median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), ms.size());
}

}  // namespace klipo::bench
