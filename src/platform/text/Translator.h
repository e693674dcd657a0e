#pragma once

#include "platform/text/CancelToken.h"

#include <QString>

#include <optional>
#include <vector>

namespace klipo::platform {

// Whether the language pack for a pair is on this machine, could be installed,
// or does not exist at all.
enum class LanguagePairStatus { Installed, Supported, Unsupported };

// A piece of a request's text that is not language (a path, a command, a
// file name, code): its translation holds it as it is. UTF-16 offsets.
struct KeptSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};

struct TranslationRequest {
    QString sourceText;
    QString clientIdentifier;
    std::vector<KeptSpan> kept;  // in order, not overlapping
};

struct TranslationResponse {
    std::optional<QString> clientIdentifier;
    QString targetText;
};

struct TranslationOutcome {
    enum class Kind { Ok, Cancelled, Failed };
    Kind kind = Kind::Ok;
    QString message;  // Chinese, for the user, when failed
    std::vector<TranslationResponse> responses;

    bool ok() const { return kind == Kind::Ok; }
    static TranslationOutcome failed(QString text) { return {Kind::Failed, std::move(text), {}}; }
    static TranslationOutcome cancelled() { return {Kind::Cancelled, {}, {}}; }
};

// On-device translation with language packs. Language codes are BCP 47 ("en",
// "es", "zh-Hans"); an absent source asks the service to recognise it. All
// operations block and may be called from any thread but the GUI thread
// (availability is quick and may be asked anywhere).
class Translator {
public:
    virtual ~Translator() = default;

    virtual LanguagePairStatus status(const QString& source, const QString& target) const = 0;
    // Whether some pack on this machine translates into `target` at all.
    virtual bool canTranslateInto(const QString& /*target*/) const { return true; }
    // Makes sure the pack for the pair is ready. A pack that is missing fails
    // with a message telling the user what to install.
    virtual TranslationOutcome prepare(const std::optional<QString>& source, const QString& target) = 0;
    // Translates every request in one batch; responses carry the requests'
    // identifiers.
    virtual TranslationOutcome translate(const std::vector<TranslationRequest>& requests,
                                         const std::optional<QString>& source, const QString& target,
                                         const CancelToken& cancel = {}) = 0;
    // Starts, in the background, what a translation into `target` is likely
    // to need, so that it does not wait for it; returns at once.
    virtual void warmUp(const QString& /*target*/) {}
};

}  // namespace klipo::platform
