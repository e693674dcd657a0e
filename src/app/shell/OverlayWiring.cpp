#include "app/shell/OverlayWiring.h"

#include "app/CaptureHUDController.h"
#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ShellServices.h"
#include "overlay/SelOverlayController.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "stores/HistoryStore.h"
#include "tools/PinWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace klipo {

namespace {

void toast(const QString& title, const QString& subtitle, const QImage& thumbnail = {}, const QString& file = {})
{
    CaptureHUDController::shared().show(title, subtitle, thumbnail, file, 2.2);
}

// A name in the folder that no file has yet: "name.png", then "name 2.png" ...
QString freePath(const QDir& folder, const QString& base, const QString& extension)
{
    QString path = folder.filePath(base + QLatin1Char('.') + extension);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(QStringLiteral("%1 %2.%3").arg(base).arg(n).arg(extension));
    return path;
}

}  // namespace

bool OverlayOutputs::copyImage(const QImage& image)
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    if (!clipboard || image.isNull()) return false;
    clipboard->setImage(image);
    return true;
}

void OverlayOutputs::saveImage(const QImage& image, bool addHistory)
{
    const QDir folder(Settings::plainCaptureDirectory());
    const bool jpeg = Settings::plainCaptureFormat() == CaptureFileFormat::jpeg;
    const QString path = freePath(folder, PrefsFileNameTemplate::currentBaseName(), jpeg ? "jpg" : "png");
    QSaveFile file(path);
    const bool written = QDir().mkpath(folder.path()) && file.open(QIODevice::WriteOnly) &&
                         image.save(&file, jpeg ? "JPEG" : "PNG", jpeg ? 90 : -1) && file.commit();
    if (!written) {
        toast(QStringLiteral("截图保存失败"), QStringLiteral("无法写入 %1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (Settings::plainCaptureCopyToClipboard()) copyImage(image);
    if (addHistory && Settings::saveHistory())
        HistoryStore::shared().save(image, std::nullopt, QFileInfo(path).completeBaseName(), QString(),
                                    Settings::targetLanguage());
    if (Settings::plainCaptureShowHUD())
        toast(QStringLiteral("截图已保存"), QFileInfo(path).fileName(), image, path);
}

void OverlayOutputs::pinImage(const QImage& image) { PinWindowController::pin(image); }

void OverlayOutputs::recordCopy(const QImage& image)
{
    HistoryStore::shared().save(image, std::nullopt, PrefsFileNameTemplate::currentBaseName(), QString(),
                                Settings::targetLanguage());
}

void wireOverlay(AppDelegate& delegate, ShellServices& services)
{
    static OverlayOutputs outputs;
    SelOverlayController& overlay = SelOverlayController::shared();
    overlay.setOutputs(&outputs);
    QPointer<AppDelegate> self(&delegate);
    overlay.setQuickFunctions({
        [self] {
            if (self) self->startColorPicker();
        },
        [&services] { services.startDelayedCapture(); },
        [&services] { services.captureLastArea(); },
    });
    overlay.setScrollCaptureBusy([&services] {
        const ShellScrollState state = services.scrollState();
        return state == ShellScrollState::capturing || state == ShellScrollState::stitching;
    });
}

}  // namespace klipo
