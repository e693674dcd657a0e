#pragma once

#include "platform/DesktopNotifier.h"

namespace klipo::platform {

// Shows files with the desktop's file manager (org.freedesktop.FileManager1)
// and default applications (QDesktopServices).
class DesktopFileViewer final : public FileViewer {
public:
    void reveal(const QString& path) override;
    void open(const QString& path) override;
    // Runs xdg-open and watches how it ends; without it, Qt's own launcher.
    void openOrExplain(const QString& path, std::function<void(const QString& reason)> failed) override;
};

}  // namespace klipo::platform
