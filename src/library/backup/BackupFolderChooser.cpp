#include "library/backup/BackupFolderChooser.h"

#include "platform/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace klipo {

namespace {

// The folder itself when it exists, else the nearest one above it, else home.
QString startFolder(const QString& current)
{
    QString path = QDir::cleanPath(current);
    while (!path.isEmpty() && QDir::isAbsolutePath(path)) {
        if (QFileInfo(path).isDir()) return path;
        const QString parent = QFileInfo(path).path();
        if (parent == path) break;
        path = parent;
    }
    return QDir::homePath();
}

class DialogChooser final : public BackupFolderChooser {
public:
    std::optional<QString> choose(QWidget* parent, const QString& current) override
    {
        QFileDialog dialog(parent, QStringLiteral("选择备份文件夹"), startFolder(current));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("选择"));
        platform::localizeFileDialog(dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

}  // namespace

BackupFolderChooser& BackupFolderChooser::dialog()
{
    static DialogChooser chooser;
    return chooser;
}

}  // namespace klipo
