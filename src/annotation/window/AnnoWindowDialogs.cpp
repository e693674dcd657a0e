#include "annotation/window/AnnoWindowDialogs.h"

#include "platform/FileDialogs.h"

#include <QColorDialog>
#include <QFileDialog>

namespace klipo {

namespace {

class QtDialogs final : public AnnoWindowDialogs {
public:
    void chooseSavePath(QWidget* parent, const QString& proposedPath,
                        std::function<void(const QString&)> done) override
    {
        auto* dialog = new QFileDialog(parent, QStringLiteral("保存标注图片"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        platform::prepareSavePng(*dialog, proposedPath);
        dialog->setWindowModality(Qt::WindowModal);
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
            const QStringList files = dialog->selectedFiles();
            done(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
        });
        dialog->open();
    }

    void chooseColor(QWidget* parent, const QColor& initial, std::function<void(const QColor&)> done) override
    {
        auto* dialog = new QColorDialog(initial, parent);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setWindowTitle(QStringLiteral("自定义颜色"));
        dialog->setOption(QColorDialog::ShowAlphaChannel);
        dialog->setWindowModality(Qt::WindowModal);
        QObject::connect(dialog, &QColorDialog::colorSelected, dialog,
                         [done = std::move(done)](const QColor& color) { done(color); });
        dialog->open();
    }
};

}  // namespace

std::unique_ptr<AnnoWindowDialogs> makeQtAnnoWindowDialogs() { return std::make_unique<QtDialogs>(); }

}  // namespace klipo
