#pragma once

#include "platform/text/TextRecognizer.h"
#include "platform/text/Translator.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace klipo::test {

// Holds back its work until opened (or, when `stopsWhenCancelled`, until its
// cancel token is set); remembers the tokens it was given.
class Gate {
public:
    std::atomic<bool> open{true};
    std::atomic<int> waiting{0};

    void pass(const platform::CancelToken& cancel)
    {
        ++waiting;
        while (!open && !cancel.isCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        --waiting;
    }
};

// Answers with one line of text whose characters each have a box (so that
// word boxes can be made), after the gate.
class FakeTextRecognizer : public platform::TextRecognizer {
public:
    Gate gate;
    std::atomic<int> calls{0};
    platform::CancelToken lastCancel;
    std::optional<QString> failure;
    QString text = QStringLiteral("El gato duerme en la casa");
    QRect box{10, 20, 250, 24};
    int delayMs = 0;

    void recognize(const QImage&, const platform::RecognitionOptions& options, const Report& report) override
    {
        ++calls;
        lastCancel = options.cancel;
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        gate.pass(options.cancel);
        if (failure) return report(platform::RecognitionOutcome::failure(*failure));
        platform::RecognizedLine line{text, box, 90, {}};
        const int step = box.width() / int(text.size());
        for (int i = 0; i < int(text.size()); ++i)
            if (!text.at(i).isSpace()) line.symbols.push_back({i, i + 1, QRect(box.x() + i * step, box.y(), step, box.height())});
        report({true, {}, {line}});
    }
};

// Every pair installed; answers "EN " + each text after the gate.
class FakeTextTranslator : public platform::Translator {
public:
    Gate gate;
    std::atomic<int> calls{0};
    platform::CancelToken lastCancel;

    platform::LanguagePairStatus status(const QString&, const QString&) const override
    {
        return platform::LanguagePairStatus::Installed;
    }
    platform::TranslationOutcome prepare(const std::optional<QString>&, const QString&) override { return {}; }
    platform::TranslationOutcome translate(const std::vector<platform::TranslationRequest>& requests,
                                           const std::optional<QString>&, const QString&,
                                           const platform::CancelToken& cancel) override
    {
        ++calls;
        lastCancel = cancel;
        gate.pass(cancel);
        if (cancel.isCancelled()) return platform::TranslationOutcome::cancelled();
        platform::TranslationOutcome outcome;
        for (const auto& r : requests) outcome.responses.push_back({r.clientIdentifier, "The cat sleeps in the house"});
        return outcome;
    }
};

}  // namespace klipo::test
