#include "recognition/ResultModel.h"

#include "platform/text/ApertiumPairs.h"
#include "recognition/ResultTranslationRun.h"
#include "recognition/TargetLanguageReach.h"
#include "recognition/TranslationPlanner.h"

#include <QRegularExpression>

#include <algorithm>

namespace klipo {

std::vector<TextBlock> ResultModel::translatableBlocks(const std::vector<TextBlock>& blocks)
{
    // Paths, commands, code and numbers are not counted: a terminal's
    // listing holds nothing to translate.
    std::vector<TextBlock> kept;
    std::copy_if(blocks.begin(), blocks.end(), std::back_inserter(kept), TranslationPlanner::hasLanguage);
    return kept;
}

QSizeF ResultModel::fittedDisplaySize(const QSize& pixelSize, qreal displayScale,
                                      const std::optional<platform::ScreenInfo>& mainScreen)
{
    const qreal w = pixelSize.width() / displayScale;
    const qreal h = pixelSize.height() / displayScale;
    if (!(w > 0) || !(h > 0)) return {0, 0};
    qreal availableWidth = fallbackAvailableWidth;
    qreal availableHeight = fallbackAvailableHeight;
    if (mainScreen) {
        availableWidth = mainScreen->availableGeometry.width() * 0.85;
        availableHeight = mainScreen->availableGeometry.height() * 0.85 - 90;
    }
    const qreal k = std::max<qreal>(0, std::min({availableWidth / w, availableHeight / h, qreal(1)}));
    return {w * k, h * k};
}

QString ResultModel::alreadyInTargetStatus(const QString& target)
{
    // Simplified and Traditional Chinese count as one language when planning.
    const QString code = platform::pairLanguageCode(target);
    const QString name = code.startsWith(QLatin1String("zh"))
                             ? QStringLiteral("中文")
                             : platform::languageNameOr(code, QStringLiteral("目标语言"));
    return QStringLiteral("画面中的文字已是") + name;
}

void ResultModel::reset(const QImage& image, std::optional<qreal> displayScale,
                        const std::optional<platform::ScreenInfo>& mainScreen)
{
    m_baseImage = image;
    m_translatedJoined.clear();
    m_offersTargetLanguageChange = false;
    if (displayScale && *displayScale > 0) m_displayScale = *displayScale;
    else m_displayScale = mainScreen ? mainScreen->devicePixelRatio : 2.0;
    if (!(m_displayScale > 0)) m_displayScale = 2.0;
    m_displaySize = fittedDisplaySize(image.size(), m_displayScale, mainScreen);
    m_displayImage = image;
    m_displayImage.setDevicePixelRatio(m_displayScale);
    m_blocks.clear();
}

std::optional<TranslationJob> ResultModel::start(const QImage& image, const std::vector<TextBlock>& blocks,
                                                 std::optional<qreal> displayScale, const QString& target,
                                                 const std::optional<platform::ScreenInfo>& mainScreen)
{
    reset(image, displayScale, mainScreen);
    m_target = target;
    ResultTranslationRun::Planned planned = ResultTranslationRun::plan(m_baseImage, blocks, m_displayScale, target);
    m_blocks = planned.kind == ResultTranslationRun::Planned::Kind::alreadyInTarget ? translatableBlocks(blocks)
                                                                                       : planned.job.blocks;
    switch (planned.kind) {
    case ResultTranslationRun::Planned::Kind::noText:
        m_isTranslating = false;
        m_status = noTextStatus;
        Q_EMIT changed();
        return std::nullopt;
    case ResultTranslationRun::Planned::Kind::alreadyInTarget:
        m_isTranslating = false;
        m_status = alreadyInTargetStatus(target);
        Q_EMIT changed();
        return std::nullopt;
    case ResultTranslationRun::Planned::Kind::translate: break;
    }
    m_isTranslating = true;
    m_status = translatingStatus;
    Q_EMIT changed();
    return std::move(planned.job);
}

void ResultModel::startWithFailure(const QImage& image, std::optional<qreal> displayScale, const QString& status,
                                   const std::optional<platform::ScreenInfo>& mainScreen)
{
    reset(image, displayScale, mainScreen);
    m_isTranslating = false;
    m_status = status;
    Q_EMIT changed();
}

void ResultModel::finish(const TranslationRunOutcome& outcome)
{
    if (outcome.kind == TranslationRunOutcome::Kind::Cancelled) return;
    m_isTranslating = false;
    if (outcome.kind == TranslationRunOutcome::Kind::Translated) {
        m_displayImage = outcome.image;
        m_translatedJoined = outcome.translatedJoined;
        m_status.clear();
    } else {
        m_status = outcome.failure;
        if (const std::optional<QString> note = TargetLanguageReach::unreachableNote(m_target)) {
            m_status += QLatin1Char('\n') + *note;
            m_offersTargetLanguageChange = true;
        }
    }
    Q_EMIT changed();
}

void ResultModel::releaseImages()
{
    if (m_displayImage.isNull() && m_baseImage.isNull()) return;
    m_displayImage = QImage();
    m_baseImage = QImage();
    Q_EMIT changed();
}

}  // namespace klipo
