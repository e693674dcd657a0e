#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

namespace klipo::platform {

namespace {

// The columns of Qt's file system model.
constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

class LocalizedFileList final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole && (index.column() == kSizeColumn || index.column() == kDateColumn)) {
            if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel())) {
                const QModelIndex source = mapToSource(index);
                if (index.column() == kDateColumn)
                    return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
                if (!files->isDir(source)) return QLocale().formattedDataSize(files->size(source));
            }
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Room for a long size, type and date of the program's locale.
void widenColumns(QFileDialog& dialog)
{
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list) return;
    const QFontMetrics metrics(list->font());
    const QLocale locale;
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    const struct {
        int column;
        QString sample;
    } samples[] = {
        {kSizeColumn, locale.formattedDataSize(999'990'000)},
        {kTypeColumn, QStringLiteral("Microsoft Word 文档")},
        {kDateColumn, locale.toString(QDateTime(QDate(2000, 12, 28), QTime(23, 59)), QLocale::ShortFormat)},
    };
    QHeaderView* header = list->header();
    int columns = 0;
    for (int column = 0; column < header->count(); ++column) {
        for (const auto& sample : samples) {
            const int width = metrics.horizontalAdvance(sample.sample) + padding;
            if (sample.column == column && header->sectionSize(column) < width) header->resizeSection(column, width);
        }
        columns += header->sectionSize(column);
    }
    // Wide enough to show every column beside the places on the left, as far
    // as the screen allows.
    const int places = 2 * metrics.horizontalAdvance(QStringLiteral("计算机计算机"));
    int wanted = columns + places + 4 * padding;
    if (const QScreen* screen = dialog.screen()) wanted = qMin(wanted, screen->availableGeometry().width() * 9 / 10);
    if (dialog.width() < wanted) dialog.resize(wanted, dialog.height());
}

}  // namespace

void localizeFileDialog(QFileDialog& dialog)
{
    if (QLocale().language() != QLocale::system().language())
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new LocalizedFileList(&dialog));
    widenColumns(dialog);
}

void prepareSavePng(QFileDialog& dialog, const QString& proposedPath)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PNG 图片 (*.png)"));
    dialog.setDefaultSuffix(QStringLiteral("png"));
    const QFileInfo proposed(proposedPath);
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
    localizeFileDialog(dialog);
}

QString askSavePngPath(QWidget* parent, const QString& title, const QString& proposedPath)
{
    QFileDialog dialog(parent, title);
    prepareSavePng(dialog, proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace klipo::platform
