#pragma once

#include "platform/text/ApertiumPairs.h"
#include "platform/text/Translator.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>

namespace klipo::platform {

class ApertiumPipeline;
class LanguageDetector;

struct ApertiumOptions {
    QString modesDir = QStringLiteral("/usr/share/apertium/modes");
    std::chrono::milliseconds stallTimeout{10000};  // no answer for this long: the pipeline is stuck
    std::chrono::milliseconds totalTimeout{60000};  // the longest one batch may take
};

// Translation on Apertium, the on-device engine Debian ships. A language pack
// is a Debian package; the installed directions are the mode files. Each
// direction runs as one kept-open pipeline, started on first use.
class ApertiumTranslator : public Translator {
public:
    // `detector` names the source when a caller leaves it open (may be null:
    // then an open source fails).
    explicit ApertiumTranslator(const LanguageDetector* detector, ApertiumOptions options = {});
    ~ApertiumTranslator() override;

    LanguagePairStatus status(const QString& source, const QString& target) const override;
    bool canTranslateInto(const QString& target) const override;
    TranslationOutcome prepare(const std::optional<QString>& source, const QString& target) override;
    TranslationOutcome translate(const std::vector<TranslationRequest>& requests, const std::optional<QString>& source,
                                 const QString& target, const CancelToken& cancel = {}) override;
    // Starts the pipeline of the direction last used into `target`, or before
    // any, of the one direction into it when only one is installed.
    void warmUp(const QString& target) override;

    // The pipeline of an installed direction (started or not); null when the
    // pair is not installed. Tests use it to reach the process.
    ApertiumPipeline* pipelineFor(const QString& source, const QString& target);

private:
    std::optional<ApertiumMode> modeFor(const QString& source, const QString& target) const;
    std::shared_ptr<ApertiumPipeline> pipelineFor(const ApertiumMode& mode);
    QString missingPackMessage(const QString& source, const QString& target) const;

    const LanguageDetector* m_detector;
    ApertiumOptions m_options;
    std::mutex m_mutex;
    std::map<QString, std::shared_ptr<ApertiumPipeline>> m_pipelines;  // by mode file
    std::optional<ApertiumMode> m_lastUsed;
};

}  // namespace klipo::platform
