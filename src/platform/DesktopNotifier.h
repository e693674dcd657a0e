#pragma once

#include <QString>

#include <functional>

namespace klipo::platform {

// Desktop notifications (org.freedesktop.Notifications). Never blocks; a
// missing notification server is ignored.
class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    virtual void post(const QString& title, const QString& body) = 0;
    // The same when the process is about to end: returns once the server has
    // the notification (or a short wait ran out), so it is not lost with us.
    virtual void postBeforeExit(const QString& title, const QString& body) { post(title, body); }
};

// Short event sounds from the desktop sound theme. Names are the program's own
// ("Tink", "Glass" ...); the player maps them to theme event ids. Returns false
// when nothing was played (no sound server, unknown name): callers ignore it.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual bool play(const QString& name) = 0;
};

// Showing files to the user.
class FileViewer {
public:
    virtual ~FileViewer() = default;
    // Selects the file in a file-manager window (falls back to opening its folder).
    virtual void reveal(const QString& path) = 0;
    // Opens the file with the desktop's default application.
    virtual void open(const QString& path) = 0;
    // The same, and when no application could open it, `failed` gets the
    // reason (Chinese), later, on the main thread.
    virtual void openOrExplain(const QString& path, std::function<void(const QString& reason)> failed)
    {
        (void)failed;
        open(path);
    }
};

}  // namespace klipo::platform
