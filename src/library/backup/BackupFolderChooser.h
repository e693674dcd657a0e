#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace klipo {

// Asks the user for the backup folder. The section reaches the dialog only
// through this, so tests can give the answer themselves.
class BackupFolderChooser {
public:
    virtual ~BackupFolderChooser() = default;

    // The folder picked, starting from `current` (or the nearest folder above
    // it that exists); nothing when the user cancels.
    virtual std::optional<QString> choose(QWidget* parent, const QString& current) = 0;

    // The folder dialog.
    static BackupFolderChooser& dialog();
};

}  // namespace klipo
