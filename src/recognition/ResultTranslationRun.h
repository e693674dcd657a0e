#pragma once

#include "platform/text/Translator.h"
#include "recognition/ImageRenderer.h"
#include "recognition/ResultModel.h"

#include <QFuture>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace klipo {

// How a translation run of the result panel ended.
struct TranslationRunOutcome {
    enum class Kind { Translated, Failed, Cancelled };
    Kind kind = Kind::Failed;
    QString failure;                    // the status card's text, when failed
    QImage image;                       // the translated picture, when translated
    std::vector<QString> translations;  // one per block, empty where none came back
    QString translatedJoined;           // the non-empty translations, in block order, one per line
    QString originalText;               // every block's text, one per line
    std::vector<ImageRenderer::RenderBlock> drawn;  // what was drawn over the picture, in block order

    static TranslationRunOutcome failed(QString status) { return {Kind::Failed, std::move(status), {}, {}, {}, {}, {}}; }
};

// One translation of the result panel: names the source the installed packs
// can serve, prepares the pair, translates every block in one batch, and draws
// the translations over the capture. A run in which no block gets a
// translation has failed.
namespace ResultTranslationRun {

// What the recognised paragraphs of a picture call for: nothing to translate
// (no paragraph holds translatable text, or all of it is in the target
// language already), or a run of the job.
struct Planned {
    enum class Kind { noText, alreadyInTarget, translate };
    Kind kind = Kind::noText;
    TranslationJob job;  // when translating: the planned paragraphs and their source language
};
Planned plan(const QImage& image, const std::vector<TextBlock>& blocks, qreal displayScale, const QString& target);

// Runs off the GUI thread and hands back the outcome. `cancel` stops a run
// that a newer capture has made useless.
QFuture<TranslationRunOutcome> start(const TranslationJob& job, const platform::CancelToken& cancel);

// The blocking run; the translator is the session's unless given.
// `requested` is called (on the run's thread) just before the translator is
// asked for the translation.
TranslationRunOutcome run(const TranslationJob& job, const platform::CancelToken& cancel,
                          platform::Translator* translator = nullptr, const std::function<void()>& requested = {});

// Puts each response's text at the block its identifier names (the block's
// position in decimal, optionally signed). Responses without an identifier,
// or with one that is not a number or names no block, are dropped; a later
// response for the same block wins.
std::vector<QString> placeResponses(const std::vector<platform::TranslationResponse>& responses, size_t blockCount);

}  // namespace ResultTranslationRun

}  // namespace klipo
