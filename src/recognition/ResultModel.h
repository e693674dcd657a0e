#pragma once

#include "platform/ScreenMetrics.h"
#include "recognition/TextModel.h"

#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace klipo {

struct TranslationRunOutcome;

// What a translation run needs, taken from the model when a capture starts.
struct TranslationJob {
    QImage baseImage;
    std::vector<TextBlock> blocks;        // the planned paragraphs, in order
    qreal displayScale = 2.0;
    std::optional<QString> plannedSource;  // the planner's source language
    QString target;
    bool isLatinScript = false;
};

// The state the result panel shows for one capture: the picture (the capture,
// then the translated picture), its size on screen, the status card and the
// translated text. Changes are announced by changed(). Main thread only.
class ResultModel : public QObject {
    Q_OBJECT
public:
    static inline const QString noTextStatus = QStringLiteral("未识别到可翻译的文字");
    static inline const QString translatingStatus = QStringLiteral("翻译中…");

    // The room on the main screen when there is none: what a 1440 by 900
    // visible area gives.
    static constexpr qreal fallbackAvailableWidth = 1224;
    static constexpr qreal fallbackAvailableHeight = 675;

    using QObject::QObject;

    // Resets for a new capture and plans its translation. `displayScale`
    // absent means the main screen's; `mainScreen` bounds the display size.
    // Returns the job to run when some paragraph needs translating.
    std::optional<TranslationJob> start(const QImage& image, const std::vector<TextBlock>& blocks,
                                        std::optional<qreal> displayScale, const QString& target,
                                        const std::optional<platform::ScreenInfo>& mainScreen);

    // Shows the capture with a failure of its recognition.
    void startWithFailure(const QImage& image, std::optional<qreal> displayScale, const QString& status,
                          const std::optional<platform::ScreenInfo>& mainScreen);

    // Takes in the end of the run that start() asked for.
    void finish(const TranslationRunOutcome& outcome);

    // Lets go of the pictures once the panel is closed: a full screen costs
    // tens of megabytes, and the next capture brings its own.
    void releaseImages();

    const QImage& displayImage() const { return m_displayImage; }
    QSizeF displaySize() const { return m_displaySize; }
    bool isTranslating() const { return m_isTranslating; }
    const QString& status() const { return m_status; }
    const QString& translatedJoined() const { return m_translatedJoined; }
    // The run failed because no pack translates into the target language:
    // the status says so and the panel offers the way to another one.
    bool offersTargetLanguageChange() const { return m_offersTargetLanguageChange; }
    const QImage& baseImage() const { return m_baseImage; }
    const std::vector<TextBlock>& blocks() const { return m_blocks; }
    qreal displayScale() const { return m_displayScale; }

    // The paragraphs worth translating: those with two letters in a row of an
    // alphabet (Latin, Greek, Cyrillic) or two characters in a row of Chinese,
    // Japanese or Korean script, outside paths, commands, code and numbers.
    static std::vector<TextBlock> translatableBlocks(const std::vector<TextBlock>& blocks);

    // The size in points at which a capture fits 85 % of the main screen's
    // visible area (less 90 points of height for the panel's chrome); never
    // larger than the capture's own point size.
    static QSizeF fittedDisplaySize(const QSize& pixelSize, qreal displayScale,
                                    const std::optional<platform::ScreenInfo>& mainScreen);

    // The status when every paragraph is already in the target language.
    static QString alreadyInTargetStatus(const QString& target);

Q_SIGNALS:
    void changed();

private:
    void reset(const QImage& image, std::optional<qreal> displayScale,
               const std::optional<platform::ScreenInfo>& mainScreen);

    QImage m_displayImage;
    QSizeF m_displaySize{0, 0};
    bool m_isTranslating = false;
    QString m_status;
    QImage m_baseImage;
    std::vector<TextBlock> m_blocks;
    QString m_translatedJoined;
    qreal m_displayScale = 2.0;
    QString m_target;
    bool m_offersTargetLanguageChange = false;
};

}  // namespace klipo
