#pragma once

#include <QString>

namespace klipo::platform {

class TextRecognizer;
class LanguageDetector;
class Translator;

// The text engines of this session: recognition (Tesseract), language
// recognition (CLD2) and translation (Apertium). Features reach them only
// through here; tests swap in fakes with ScopedTextServices.
struct TextServices {
    TextRecognizer* recognizer = nullptr;
    LanguageDetector* languages = nullptr;
    Translator* translator = nullptr;
};

// The current engines; the real ones are made on first use and kept for the
// life of the process.
TextServices& textServices();

// Starts loading the recognition engines, and the translation pipeline into
// `target` (none when empty), in the background, so that the capture about
// to be read does not wait for them. With `pageComing` (a capture to read is
// under way) every engine the last page was read with loads, else one per
// model.
void warmUpTextServices(const QString& target = {}, bool pageComing = false);

// Stops the recognition threads and frees their engines. Call at quit, after
// the event loop ends and before the program's statics are destroyed.
void shutDownTextServices();

// Replaces engines for a scope; fields left null keep the current engine.
class ScopedTextServices {
public:
    explicit ScopedTextServices(const TextServices& replacement);
    ~ScopedTextServices();
    ScopedTextServices(const ScopedTextServices&) = delete;
    ScopedTextServices& operator=(const ScopedTextServices&) = delete;

private:
    TextServices m_previous;
};

}  // namespace klipo::platform
