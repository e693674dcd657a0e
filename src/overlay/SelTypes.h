#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QScreen>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace klipo {

// What the overlay does with a selection. The order is also the order of the
// title table.
enum class SelAction : quint8 { pin, translate, copy, save, cancel };

// "钉屏", "翻译", "复制", "保存", "取消"
QString selActionTitle(SelAction action);

enum class SelPhase { selecting, editing };

// A rectangle picked in pick-rectangle mode: the screen it was made on and
// where on it, in that screen's points.
struct SelPickedRect {
    QPointer<QScreen> screen;
    QRect screenGeometry;  // the screen's global logical geometry when the pick was made
    QRectF rectInScreen;   // origin at the screen's top-left corner, y down

    // The same rectangle in global logical coordinates (top-left origin, y down).
    QRectF globalRect() const { return rectInScreen.translated(screenGeometry.topLeft()); }
    // The same rectangle with the origin at the screen's bottom-left corner, y up.
    QRectF rectFromBottomLeft() const
    {
        return {rectInScreen.x(), screenGeometry.height() - rectInScreen.bottom(), rectInScreen.width(),
                rectInScreen.height()};
    }
};

// One request to open the overlay. Everything the session does differently
// for its caller travels here, so a later request can never change it.
struct SelRequest {
    enum class Mode {
        edit,      // select, adjust, annotate, then the primary action or a toolbar action
        pickRect,  // the first committed selection ends the session and is handed over
        pickImage, // the first committed selection is cropped and handed over
    };
    Mode mode = Mode::edit;
    SelAction primaryAction = SelAction::copy;  // what Return does in the editing phase
    QString hint;                               // first row of the key hints while selecting; may be empty
    // Called once when a pick-rectangle session ends: the rectangle, or none.
    std::function<void(std::optional<SelPickedRect>)> pickRectCompletion;
    // Called once when an image-pick session ends: the crop, or none.
    std::function<void(std::optional<QImage>)> pickImageCompletion;

    bool isPick() const { return mode != Mode::edit; }
};

// Where the overlay hands its results. The shell fills it with the clipboard,
// the shared capture output path, the pinned images and the history.
class SelOutputs {
public:
    virtual ~SelOutputs() = default;

    // Puts the image on the clipboard; false when that failed.
    virtual bool copyImage(const QImage& image) = 0;
    // Saves through the capture output path, which reports success and
    // failure itself; `addHistory` false keeps it out of the history (a
    // translation is recorded when it finishes).
    virtual void saveImage(const QImage& image, bool addHistory) = 0;
    // Pins the image above all windows.
    virtual void pinImage(const QImage& image) = 0;
    // Adds a history record for a copied screenshot (the store checks nothing:
    // the caller has read "saveHistory").
    virtual void recordCopy(const QImage& image) = 0;
};

// The quick functions of the selecting phase's C, D and R keys.
struct SelQuickFunctions {
    std::function<void()> colorPicker;
    std::function<void()> delayedCapture;
    std::function<void()> captureLastArea;
};

}  // namespace klipo
