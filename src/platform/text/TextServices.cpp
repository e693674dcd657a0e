#include "platform/text/TextServices.h"

#include "platform/text/ApertiumTranslator.h"
#include "platform/text/Cld2LanguageDetector.h"
#include "platform/text/TesseractRecognizer.h"

#include <mutex>

namespace klipo::platform {

namespace {

// Never destroyed: its engines would be ended at exit after Tesseract's own
// caches (made later, so gone earlier), which crashes the quitting process.
TesseractRecognizer& realRecognizer()
{
    static auto* recognizer = new TesseractRecognizer;
    return *recognizer;
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
        if (!s.recognizer) s.recognizer = &realRecognizer();
        if (!s.languages) s.languages = &realDetector();
        if (!s.translator) s.translator = &realTranslator();
    });
    return current();
}

void warmUpTextServices() { realRecognizer().warmUp(); }

ScopedTextServices::ScopedTextServices(const TextServices& replacement) : m_previous(textServices())
{
    TextServices& s = textServices();
    if (replacement.recognizer) s.recognizer = replacement.recognizer;
    if (replacement.languages) s.languages = replacement.languages;
    if (replacement.translator) s.translator = replacement.translator;
}

ScopedTextServices::~ScopedTextServices() { textServices() = m_previous; }

}  // namespace klipo::platform
