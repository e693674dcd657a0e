#pragma once

#include "platform/text/TextRecognizer.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace klipo::platform {

class EngineSet;

// Text recognition on Tesseract. A fixed pool of threads, each with its own
// engines kept loaded (English and Simplified Chinese from the start;
// Traditional Chinese, Japanese and Korean when a line asks for them). An
// image is cut into bands of whole text lines that the pool reads in
// parallel; each band is read with the models its script needs, inverted when
// it is light on dark, and upscaled when its text is small.
class TesseractRecognizer : public TextRecognizer {
public:
    // `threads` 0: one per core, at most 8.
    explicit TesseractRecognizer(int threads = 0);
    ~TesseractRecognizer() override;
    TesseractRecognizer(const TesseractRecognizer&) = delete;
    TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

    // Starts the threads, which load their engines; returns at once.
    void warmUp();

    // Blocks until the image is read, then reports once.
    void recognize(const QImage& image, const RecognitionOptions& options, const Report& report) override;

private:
    using Job = std::function<void(EngineSet&)>;

    void ensureStarted();
    void workerLoop();
    void submit(Job job);

    int m_threadCount;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

}  // namespace klipo::platform
