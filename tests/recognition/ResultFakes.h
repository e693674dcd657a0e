#pragma once

#include "platform/text/TextRecognizer.h"
#include "platform/text/Translator.h"

#include <atomic>
#include <functional>
#include <thread>

namespace klipo::test {

// Every pair installed; answers "EN:" + each text unless `answer` says
// otherwise (and may take its time). Like a real engine in the middle of a
// batch, it does not stop when cancelled.
struct FakeTranslator : platform::Translator {
    using Requests = std::vector<platform::TranslationRequest>;
    QString prepareFailure;
    std::function<std::vector<platform::TranslationResponse>(const Requests&)> answer;
    std::atomic<int> translateCalls{0};
    std::atomic<int> answeredCalls{0};

    platform::LanguagePairStatus status(const QString&, const QString&) const override
    {
        return platform::LanguagePairStatus::Installed;
    }
    platform::TranslationOutcome prepare(const std::optional<QString>&, const QString&) override
    {
        return prepareFailure.isEmpty() ? platform::TranslationOutcome{}
                                        : platform::TranslationOutcome::failed(prepareFailure);
    }
    platform::TranslationOutcome translate(const Requests& requests, const std::optional<QString>&, const QString&,
                                           const platform::CancelToken& = {}) override
    {
        ++translateCalls;
        platform::TranslationOutcome outcome;
        for (const auto& r : requests) outcome.responses.push_back({r.clientIdentifier, "EN:" + r.sourceText});
        if (answer) outcome.responses = answer(requests);
        ++answeredCalls;
        return outcome;
    }
};

// Answers with `reply` after `delayMs`; notes the most recognitions at once.
struct FakeRecognizer : platform::TextRecognizer {
    platform::RecognitionOutcome reply;
    int delayMs = 0;
    std::atomic<int> calls{0};
    std::atomic<int> running{0};
    std::atomic<int> mostAtOnce{0};

    void recognize(const QImage&, const platform::RecognitionOptions&, const Report& report) override
    {
        ++calls;
        const int now = ++running;
        for (int seen = mostAtOnce; now > seen && !mostAtOnce.compare_exchange_weak(seen, now);) {}
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        --running;
        report(reply);
    }
};

}  // namespace klipo::test
