#pragma once

#include <QString>

#include <functional>

// Problems with the program's own files that the user must hear of: a change
// that was not saved, a damaged file moved aside, a data folder another copy
// of the program holds. Stores report them from any thread; the shell shows
// each one as a toast.
namespace klipo::platform::storagealerts {

struct Alert {
    QString title;   // what happened, naming what was not saved
    QString detail;  // why, or where a moved file went

    friend bool operator==(const Alert&, const Alert&) = default;
};

// May be called from any thread, also before the shell is up: an alert made
// before a sink is installed waits for it.
void report(const QString& title, const QString& detail);

// "<what>未能保存" with the reason.
void reportNotSaved(const QString& what, const QString& reason);
// "<what>无法使用：<reason>" and where the unusable file was moved.
void reportMovedAside(const QString& what, const QString& reason, const QString& newPath);

// Installs the one receiver (main thread), which then gets the waiting alerts
// and each later one, on the main thread, at least `spacingMs` apart so that
// each can be read (0: at once). An alert equal to one still waiting is
// dropped. An empty function removes the receiver.
void setSink(std::function<void(const Alert&)> sink, int spacingMs = 0);

}  // namespace klipo::platform::storagealerts
