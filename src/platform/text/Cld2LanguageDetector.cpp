#include "platform/text/Cld2LanguageDetector.h"

#include "platform/text/ScriptCounts.h"

// CLD2's headers use FILE without including its header.
#include <cstdio>
#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

namespace klipo::platform {

namespace {

QString codeOf(CLD2::Language language)
{
    const QString code = QString::fromLatin1(CLD2::LanguageCode(language));
    if (code == QLatin1String("zh")) return QStringLiteral("zh-Hans");
    if (code == QLatin1String("iw")) return QStringLiteral("he");
    return code;
}

struct Cld2Answer {
    QString dominant;
    std::vector<LanguageHypothesis> hypotheses;
};

Cld2Answer askCld2(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    CLD2::Language languages[3];
    int percents[3] = {0, 0, 0};
    double scores[3] = {0, 0, 0};
    int textBytes = 0;
    int validPrefix = 0;
    bool reliable = false;
    const CLD2::CLDHints hints = {nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
    const CLD2::Language top = CLD2::ExtDetectLanguageSummaryCheckUTF8(
        utf8.constData(), int(utf8.size()), true, &hints, 0, languages, percents, scores, nullptr, &textBytes,
        &reliable, &validPrefix);

    Cld2Answer answer;
    if (top == CLD2::UNKNOWN_LANGUAGE || (top == CLD2::ENGLISH && !reliable)) return answer;
    // CLD2 gives shares of the text, not probabilities; an answer it calls
    // unreliable is not allowed to look more than even odds.
    const double weight = reliable ? 0.01 : 0.005;
    for (int i = 0; i < 3; ++i) {
        if (languages[i] == CLD2::UNKNOWN_LANGUAGE || percents[i] <= 0) continue;
        answer.hypotheses.push_back({codeOf(languages[i]), percents[i] * weight});
    }
    answer.dominant = codeOf(top);
    return answer;
}

}  // namespace

LanguageGuess Cld2LanguageDetector::detect(const QString& text) const
{
    const ScriptCounts n = ScriptCounts::of(text);
    if (n.letters == 0) return {};
    const double letters = n.letters;

    if (n.hangul * 2 >= n.letters) return {QStringLiteral("ko"), {{QStringLiteral("ko"), n.hangul / letters}}};
    if (n.kana > 0 && (n.kana + n.han) * 2 >= n.letters)
        return {QStringLiteral("ja"), {{QStringLiteral("ja"), (n.kana + n.han) / letters}}};
    if (n.han * 2 >= n.letters) {
        // CLD2 tells Simplified from Traditional; anything else it says about
        // mostly-Han text is noise.
        const Cld2Answer answer = askCld2(text);
        const QString code = answer.dominant.startsWith(QLatin1String("zh")) ? answer.dominant
                                                                             : QStringLiteral("zh-Hans");
        return {code, {{code, n.han / letters}}};
    }

    Cld2Answer answer = askCld2(text);
    if (answer.hypotheses.size() > 5) answer.hypotheses.resize(5);
    return {answer.dominant, std::move(answer.hypotheses)};
}

}  // namespace klipo::platform
