#pragma once

#include "overlay/SelTypes.h"

namespace klipo {

class AppDelegate;
class ShellServices;

// Where the capture overlay hands its results in this program: the system
// clipboard, the capture folder, the pinned images and the history.
class OverlayOutputs final : public SelOutputs {
public:
    bool copyImage(const QImage& image) override;
    // Writes the file into the capture folder under the file-name template,
    // copies it when the preferences say so, records it and reports it.
    void saveImage(const QImage& image, bool addHistory) override;
    void pinImage(const QImage& image) override;
    void recordCopy(const QImage& image) override;
};

// Gives the shared overlay controller its outputs, the quick functions of
// its C, D and R keys, and the check that a scrolling capture is busy.
void wireOverlay(AppDelegate& delegate, ShellServices& services);

}  // namespace klipo
