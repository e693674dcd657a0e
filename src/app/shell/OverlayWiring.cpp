#include "app/shell/OverlayWiring.h"

#include "app/PrefsFileNameTemplate.h"
#include "app/Settings.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ShellServices.h"
#include "overlay/SelOverlayController.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "tools/CaptureTextIndex.h"
#include "tools/PinWindow.h"
#include "tools/QuickCaptureOutput.h"


namespace klipo {

bool OverlayOutputs::copyImage(const QImage& image)
{
    platform::Clipboard* clipboard = platform::services().clipboard;
    return clipboard && !image.isNull() && clipboard->copyImage(image, {});
}

void OverlayOutputs::saveImage(const QImage& image, bool addHistory)
{
    QuickCaptureOutput::Options options = QuickCaptureOutput::Options::current();
    // A translated picture was recorded when its translation finished; a
    // plain screenshot is made findable by its text.
    options.saveHistory = options.saveHistory && addHistory;
    options.indexText = addHistory;
    QuickCaptureOutput::deliver(image, QuickCaptureOutput::Request{}, options);
}

void OverlayOutputs::pinImage(const QImage& image) { PinWindowController::pin(image); }

void OverlayOutputs::recordCopy(const QImage& image)
{
    CaptureTextIndex::saveToHistory(image, PrefsFileNameTemplate::currentBaseName());
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
