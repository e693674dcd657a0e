#pragma once

#include "platform/text/TextRecognizer.h"

#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace klipo::platform {

class EnginePool;

// Text recognition on Tesseract. The picture is laid out into lines (one
// column of one window each, see PageLayout); a pool of threads reads the
// lines in parallel, each on its own picture (its colours made dark on white,
// small text scaled up) with the model its script needs. Engines are loaded
// per model when first needed and freed after a minute unused (a model with
// a large word list keeps one engine, its word list's memory given back; see
// EnginePool).
class TesseractRecognizer : public TextRecognizer {
public:
    struct Options {
        int threads = 0;                             // 0: one per core, at most 8
        QString latinModel;                          // empty: the best one installed
        std::chrono::milliseconds idleLimit{60000};  // engines unused this long are freed
    };

    TesseractRecognizer();
    explicit TesseractRecognizer(Options options);
    ~TesseractRecognizer() override;
    TesseractRecognizer(const TesseractRecognizer&) = delete;
    TesseractRecognizer& operator=(const TesseractRecognizer&) = delete;

    // Loads engines of each model the last page's lines were read with (the
    // Latin model before any page) in the background; returns at once.
    // `oneEach`: one engine per model (at launch: little memory, and the
    // others of a model load faster once one holds its word list).
    // `forAPage`: as many as that page's lines were read with, so that a
    // capture about to be read does not wait for any of them.
    enum class WarmUp { oneEach, forAPage };
    void warmUp(WarmUp how = WarmUp::oneEach);

    // Blocks until the image is read, then reports once.
    void recognize(const QImage& image, const RecognitionOptions& options, const Report& report) override;

    // Stops and joins the threads and frees every engine. Call before the
    // program's statics are destroyed (at quit). Recognition afterwards
    // reports a failure. Idempotent.
    void shutDown();

    // Engines loaded now, and their models (for tests and measurements).
    int loadedEngines() const;
    QStringList loadedModels() const;
    // Frees every engine not reading now, as a minute unused would.
    void freeIdleEngines();

    // How many times the engine read a line of the last page, by why it was read.
    struct Readings {
        int first = 0;     // each line once (lines alike once in all)
        int resized = 0;   // Chinese lines found empty, again at other sizes
        int second = 0;    // second opinions of other models
        int otherCjk = 0;  // Japanese, Korean and Traditional Chinese tried
        int twins = 0;     // lines not read, given the reading of one alike
        int pieces = 0;    // pieces long lines were read in, on several engines at once
        int inPageLanguage = 0;  // long lines and pieces read by the model of the page's language
    };
    Readings lastReadings() const;

    // The model Latin lines are read with when none is given: Tesseract's
    // Latin-script model when installed (it knows every accented letter),
    // else English.
    static QString defaultLatinModel();

private:
    using Job = std::function<void()>;

    void ensureStarted();
    void rememberModels(const std::map<QString, int>& linesPerModel, const std::map<QString, int>& enginesPerModel);
    void workerLoop();
    void runAll(std::vector<Job> jobs);

    Options m_options;
    int m_threadCount;
    std::unique_ptr<EnginePool> m_pool;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    // The models of the last page's first reads, most lines first, and the
    // engines each was given.
    std::vector<std::pair<QString, int>> m_lastModels;
    Readings m_lastReadings;
    std::vector<std::thread> m_threads;
};

}  // namespace klipo::platform
