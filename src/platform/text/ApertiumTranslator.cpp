#include "platform/text/ApertiumTranslator.h"

#include "platform/text/ApertiumPipeline.h"
#include "platform/text/LanguageDetector.h"

#include <QFile>
#include <QThreadPool>

#include <algorithm>

namespace klipo::platform {

ApertiumTranslator::ApertiumTranslator(const LanguageDetector* detector, ApertiumOptions options)
    : m_detector(detector), m_options(std::move(options))
{
}

ApertiumTranslator::~ApertiumTranslator() = default;

std::optional<ApertiumMode> ApertiumTranslator::modeFor(const QString& source, const QString& target) const
{
    const QString s = pairLanguageCode(source);
    const QString t = pairLanguageCode(target);
    for (const ApertiumMode& mode : installedModes(m_options.modesDir)) {
        if (pairLanguageCode(mode.source) == s && pairLanguageCode(mode.target) == t) return mode;
    }
    return std::nullopt;
}

LanguagePairStatus ApertiumTranslator::status(const QString& source, const QString& target) const
{
    const QString s = pairLanguageCode(source);
    const QString t = pairLanguageCode(target);
    if (s.isEmpty() || t.isEmpty()) return LanguagePairStatus::Unsupported;
    if (s == t || modeFor(s, t)) return LanguagePairStatus::Installed;
    return debianPackageFor(s, t) ? LanguagePairStatus::Supported : LanguagePairStatus::Unsupported;
}

bool ApertiumTranslator::canTranslateInto(const QString& target) const
{
    const QString t = pairLanguageCode(target);
    const std::vector<ApertiumMode> modes = installedModes(m_options.modesDir);
    return std::any_of(modes.begin(), modes.end(), [&](const ApertiumMode& m) { return pairLanguageCode(m.target) == t; });
}

QString ApertiumTranslator::missingPackMessage(const QString& source, const QString& target) const
{
    const QString s = pairLanguageCode(source);
    const QString t = pairLanguageCode(target);
    const QString from = languageNameOr(s, QStringLiteral("画面中的这种语言"));
    const QString into = languageNameOr(t, QStringLiteral("所选的目标语言"));
    if (const auto package = debianPackageFor(s, t))
        return QStringLiteral("本机还没有从%1翻译成%2的语言包，请安装 %3：sudo apt-get install %3")
            .arg(from, into, *package);
    return QStringLiteral("本机翻译暂不支持从%1翻译成%2").arg(from, into);
}

TranslationOutcome ApertiumTranslator::prepare(const std::optional<QString>& source, const QString& target)
{
    if (!source || status(*source, target) == LanguagePairStatus::Installed) return {};
    return TranslationOutcome::failed(missingPackMessage(*source, target));
}

ApertiumPipeline* ApertiumTranslator::pipelineFor(const QString& source, const QString& target)
{
    const auto mode = modeFor(source, target);
    return mode ? pipelineFor(*mode).get() : nullptr;
}

std::shared_ptr<ApertiumPipeline> ApertiumTranslator::pipelineFor(const ApertiumMode& mode)
{
    std::lock_guard lock(m_mutex);
    auto& slot = m_pipelines[mode.modeFile];
    if (!slot) {
        QFile file(mode.modeFile);
        if (!file.open(QIODevice::ReadOnly)) return nullptr;
        const QString command = QString::fromUtf8(file.readAll()).simplified();
        if (command.isEmpty()) return nullptr;
        slot = std::make_shared<ApertiumPipeline>(nullFlushingCommand(command),
                                                  ApertiumLimits{m_options.stallTimeout, m_options.totalTimeout});
    }
    return slot;
}

void ApertiumTranslator::warmUp(const QString& target)
{
    const QString t = pairLanguageCode(target);
    std::optional<ApertiumMode> mode;
    {
        std::lock_guard lock(m_mutex);
        if (m_lastUsed && pairLanguageCode(m_lastUsed->target) == t) mode = m_lastUsed;
    }
    if (!mode) {
        std::vector<ApertiumMode> into;
        for (const ApertiumMode& m : installedModes(m_options.modesDir))
            if (pairLanguageCode(m.target) == t) into.push_back(m);
        if (into.size() != 1) return;  // no telling which one the next text needs
        mode = into.front();
    }
    // Held by the task: a translator that goes meanwhile stops it afterwards.
    std::shared_ptr<ApertiumPipeline> pipeline = pipelineFor(*mode);
    if (pipeline) QThreadPool::globalInstance()->start([pipeline] { pipeline->start(); });
}

TranslationOutcome ApertiumTranslator::translate(const std::vector<TranslationRequest>& requests,
                                                 const std::optional<QString>& source, const QString& target,
                                                 const CancelToken& cancel)
{
    if (requests.empty()) return {};
    if (cancel.isCancelled()) return TranslationOutcome::cancelled();

    QString from = source.value_or(QString());
    if (from.isEmpty()) {
        QStringList texts;
        for (const TranslationRequest& r : requests) texts << r.sourceText;
        if (m_detector) from = m_detector->detect(texts.join(QLatin1Char('\n'))).dominant;
        if (from.isEmpty()) return TranslationOutcome::failed(QStringLiteral("无法识别原文的语言"));
    }

    TranslationOutcome outcome;
    if (pairLanguageCode(from) == pairLanguageCode(target)) {
        for (const TranslationRequest& r : requests) outcome.responses.push_back({r.clientIdentifier, r.sourceText});
        return outcome;
    }

    const auto mode = modeFor(from, target);
    const std::shared_ptr<ApertiumPipeline> pipeline = mode ? pipelineFor(*mode) : nullptr;
    if (!pipeline) return TranslationOutcome::failed(missingPackMessage(from, target));
    {
        std::lock_guard lock(m_mutex);
        m_lastUsed = mode;
    }

    std::vector<QString> texts;
    std::vector<std::vector<KeptSpan>> kept;
    texts.reserve(requests.size());
    for (const TranslationRequest& r : requests) {
        texts.push_back(r.sourceText);
        kept.push_back(r.kept);
    }
    ApertiumPipeline::Result result = pipeline->translate(texts, cancel, kept);
    if (result.kind != TranslationOutcome::Kind::Ok) return {result.kind, result.message, {}};
    for (size_t i = 0; i < requests.size(); ++i)
        outcome.responses.push_back({requests[i].clientIdentifier, std::move(result.texts[i])});
    return outcome;
}

}  // namespace klipo::platform
