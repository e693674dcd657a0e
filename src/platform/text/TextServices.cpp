#include "platform/text/TextServices.h"

#include "platform/text/ApertiumTranslator.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "platform/text/TesseractRecognizer.h"
#include "platform/text/Translator.h"

#include <mutex>

namespace klipo::platform {

namespace {

// Never destroyed by the program's exit: its engines are freed at quit by
// shutDownTextServices(), or by the engine pool's exit handler, while
// Tesseract's own statics still stand.
TesseractRecognizer& realRecognizer()
{
    static auto* recognizer = new TesseractRecognizer;
    return *recognizer;
}

bool& recognizerMade()
{
    static bool made = false;
    return made;
}

Cld2LanguageDetector& realDetector()
{
    static Cld2LanguageDetector detector;
    return detector;
}

ApertiumTranslator& realTranslator()
{
    static ApertiumTranslator translator(&realDetector());
    return translator;
}

TextServices& current()
{
    static TextServices services;
    return services;
}

}  // namespace

TextServices& textServices()
{
    static std::once_flag once;
    std::call_once(once, [] {
        TextServices& s = current();
        if (!s.recognizer) {
            s.recognizer = &realRecognizer();
            recognizerMade() = true;
        }
        if (!s.languages) s.languages = &realDetector();
        if (!s.translator) s.translator = &realTranslator();
    });
    return current();
}

void warmUpTextServices(const QString& target, bool pageComing)
{
    TextServices& services = textServices();
    realRecognizer().warmUp(pageComing ? TesseractRecognizer::WarmUp::forAPage : TesseractRecognizer::WarmUp::oneEach);
    if (!target.isEmpty() && services.translator) services.translator->warmUp(target);
}

void shutDownTextServices()
{
    if (recognizerMade()) realRecognizer().shutDown();
}

ScopedTextServices::ScopedTextServices(const TextServices& replacement) : m_previous(textServices())
{
    TextServices& s = textServices();
    if (replacement.recognizer) s.recognizer = replacement.recognizer;
    if (replacement.languages) s.languages = replacement.languages;
    if (replacement.translator) s.translator = replacement.translator;
}

ScopedTextServices::~ScopedTextServices() { textServices() = m_previous; }

}  // namespace klipo::platform
