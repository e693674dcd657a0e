#include "recognition/ResultTranslationRun.h"

#include "platform/text/TextServices.h"
#include "recognition/ImageRenderer.h"
#include "recognition/TranslationPlanner.h"

#include <QStringList>
#include <QtConcurrent/QtConcurrentRun>

#include <limits>

namespace klipo::ResultTranslationRun {

namespace {

// A decimal integer: an optional sign, then ASCII digits only, without overflow.
std::optional<qint64> parseDecimal(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        if (value > (std::numeric_limits<qint64>::max() - (c - u'0')) / 10) return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

QString failureStatus(const QString& message)
{
    return QStringLiteral("翻译失败：") + (message.isEmpty() ? QStringLiteral("翻译引擎出错") : message);
}

// The same words in the same order, whatever the spaces between them.
bool sameText(const QString& a, const QString& b) { return a.simplified() == b.simplified(); }

}  // namespace

std::vector<QString> placeResponses(const std::vector<platform::TranslationResponse>& responses, size_t blockCount)
{
    std::vector<QString> translated(blockCount);
    for (const platform::TranslationResponse& response : responses) {
        if (!response.clientIdentifier || response.clientIdentifier->isEmpty()) continue;
        const auto index = parseDecimal(*response.clientIdentifier);
        if (!index || *index < 0 || quint64(*index) >= blockCount) continue;
        translated[size_t(*index)] = response.targetText;
    }
    return translated;
}

Planned plan(const QImage& image, const std::vector<TextBlock>& blocks, qreal displayScale, const QString& target)
{
    Planned planned;
    std::vector<TextBlock> kept = ResultModel::translatableBlocks(blocks);
    if (kept.empty()) return planned;
    TranslationPlanner::Plan plan = TranslationPlanner::plan(kept, target);
    if (plan.blocksToTranslate.empty()) {
        planned.kind = Planned::Kind::alreadyInTarget;
        return planned;
    }
    QStringList texts;
    for (const TextBlock& block : plan.blocksToTranslate) texts << block.text;
    planned.kind = Planned::Kind::translate;
    planned.job = TranslationJob{image,  std::move(plan.blocksToTranslate), displayScale, plan.sourceLanguage, target,
                                 TranslationPlanner::isMostlyLatin(texts.join(QLatin1Char('\n')))};
    return planned;
}

TranslationRunOutcome run(const TranslationJob& job, const platform::CancelToken& cancel,
                          platform::Translator* translator, const std::function<void()>& requested)
{
    platform::Translator& service = translator ? *translator : *platform::textServices().translator;
    if (job.baseImage.isNull() || job.blocks.empty()) return TranslationRunOutcome::failed(failureStatus({}));

    const std::optional<QString> source =
        TranslationPlanner::resolveAvailable(job.plannedSource, job.target, job.isLatinScript, &service);
    if (requested) requested();
    const platform::TranslationOutcome prepared = service.prepare(source, job.target);
    if (cancel.isCancelled()) return {TranslationRunOutcome::Kind::Cancelled};
    if (!prepared.ok()) return TranslationRunOutcome::failed(failureStatus(prepared.message));

    std::vector<platform::TranslationRequest> requests;
    requests.reserve(job.blocks.size());
    for (size_t i = 0; i < job.blocks.size(); ++i) {
        platform::TranslationRequest request{job.blocks[i].text, QString::number(i), {}};
        for (const LiteralPieces::Piece& piece : TranslationPlanner::literalPieces(job.blocks[i]))
            request.kept.push_back({piece.start, piece.length});
        requests.push_back(std::move(request));
    }
    const platform::TranslationOutcome answered = service.translate(requests, source, job.target, cancel);
    if (answered.kind == platform::TranslationOutcome::Kind::Cancelled || cancel.isCancelled())
        return {TranslationRunOutcome::Kind::Cancelled};
    if (!answered.ok()) return TranslationRunOutcome::failed(failureStatus(answered.message));

    TranslationRunOutcome outcome;
    outcome.translations = placeResponses(answered.responses, job.blocks.size());
    QStringList joined;
    QStringList original;
    for (size_t i = 0; i < job.blocks.size(); ++i) {
        original << job.blocks[i].text;
        if (outcome.translations[i].isEmpty()) continue;
        joined << outcome.translations[i];
        // A translation that reads as its source (names, commands, words the
        // pack does not know) leaves the picture as it is.
        if (!sameText(outcome.translations[i], job.blocks[i].text))
            outcome.drawn.push_back({job.blocks[i].lines, outcome.translations[i]});
    }
    if (joined.isEmpty()) return TranslationRunOutcome::failed(failureStatus(QStringLiteral("没有得到任何译文")));
    if (cancel.isCancelled()) return {TranslationRunOutcome::Kind::Cancelled};

    outcome.kind = TranslationRunOutcome::Kind::Translated;
    outcome.image = ImageRenderer::render(job.baseImage, outcome.drawn, job.displayScale);
    outcome.translatedJoined = joined.join(QLatin1Char('\n'));
    outcome.originalText = original.join(QLatin1Char('\n'));
    return outcome;
}

QFuture<TranslationRunOutcome> start(const TranslationJob& job, const platform::CancelToken& cancel)
{
    platform::Translator* translator = platform::textServices().translator;
    return QtConcurrent::run([job, cancel, translator] { return run(job, cancel, translator); });
}

}  // namespace klipo::ResultTranslationRun
