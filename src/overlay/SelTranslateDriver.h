#pragma once

#include "overlay/SelTextLayer.h"
#include "platform/text/CancelToken.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace klipo {

// The outcome of one translation in place.
struct SelTranslateResult {
    enum class Kind {
        success,
        failed,           // `message` says why, for the user
        noText,           // nothing worth translating was recognised
        alreadyInTarget,  // `message` names the target language
    };
    Kind kind = Kind::failed;
    QString message;
    QImage renderedImage;     // the translated picture
    QString originalText;     // every planned paragraph, one per line
    QString translatedText;   // the translations that came back, one per line
    std::shared_ptr<const SelTextLayer> layer;  // the translations as drawn, selectable
};

// Translates a picture in place, off the main thread: recognises its text,
// plans which paragraphs to translate from which language, asks the
// translator and draws the translations over the picture (also laying out
// their selectable text). Everything stops where it can once cancelled
// (recognition between bands, translation between requests), and a cancelled
// driver never reports. Main thread only; report and notice come on it.
class SelTranslateDriver : public QObject {
public:
    using Completion = std::function<void(const SelTranslateResult&)>;

    // `displayScale` (pixels per point, at least 1) is the translated picture's.
    SelTranslateDriver(QImage image, qreal displayScale, QString target, Completion completion,
                       QObject* parent = nullptr);
    ~SelTranslateDriver() override;

    // Called once, when the translator is asked for the translation (after
    // recognition and planning).
    std::function<void()> onTranslationRequested;

    void start();
    // Stops the work and drops the completion; nothing is reported afterwards.
    void cancel();
    bool isCancelled() const { return m_cancel.isCancelled(); }

private:
    void finish(const SelTranslateResult& result);

    QImage m_image;
    qreal m_displayScale;
    QString m_target;
    Completion m_completion;
    platform::CancelToken m_cancel;
};

}  // namespace klipo
