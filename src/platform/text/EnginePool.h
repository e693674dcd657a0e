#pragma once

#include "platform/FreedMemory.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace klipo::platform {

class TesseractEngine;
class WordListPages;

// Loaded Tesseract engines, per model ("eng", "chi_sim", "chi_sim+eng" ...).
// An engine is loaded when a line first needs its model, at most `perModel`
// of one model exist at a time, and an engine left unused for `idleLimit` is
// freed (a model costs tens of megabytes per engine). shutDown() frees them
// all; it must run before the program's static objects are destroyed, since
// Tesseract's own statics die with them.
//
// The first engine of a model reads the whole model file. When its word list
// is large (Latin's 89 MB), the others of the model wait for it and then load
// without the word list, which they share with it (see ModelFile): eight
// Latin engines load in about 0.3 s instead of 1 s, and the word list is in
// memory once, not once per engine. The engines of a small model load along
// with the first, each from the whole file: Tesseract has the first of them
// to reach the word list load it, and the others share it.
// Engines of a model stay while another of that model is loading, so the
// shared word list cannot go in the middle of a load.
//
// A large word list is moved onto pages a file backs once loaded (see
// WordListPages). Then, after the idle time, one engine of a model that read
// a page stays and gives the word list's pages back instead of going: the
// memory is returned all the same (what stays is the engine's own, about
// 13 MB for Latin), and the next page starts with that engine and its word
// list at hand instead of loading the model again (0.3 s of four copies of
// it). An engine only warmed up and never lent out goes like any other.
class EnginePool {
public:
    using Clock = std::chrono::steady_clock;

    EnginePool(int perModel, std::chrono::milliseconds idleLimit);
    ~EnginePool();
    EnginePool(const EnginePool&) = delete;
    EnginePool& operator=(const EnginePool&) = delete;

    // An engine lent to one thread; it goes back to the pool when the lease ends.
    class Lease {
    public:
        Lease() = default;
        Lease(EnginePool* pool, TesseractEngine* engine) : m_pool(pool), m_engine(engine) {}
        Lease(Lease&& other) noexcept : m_pool(other.m_pool), m_engine(other.m_engine) { other.m_engine = nullptr; }
        Lease& operator=(Lease&&) = delete;
        Lease(const Lease&) = delete;
        ~Lease();
        TesseractEngine* operator->() const { return m_engine; }
        TesseractEngine& operator*() const { return *m_engine; }
        explicit operator bool() const { return m_engine != nullptr; }

    private:
        EnginePool* m_pool = nullptr;
        TesseractEngine* m_engine = nullptr;
    };

    // Waits for an engine of the model (loading one if fewer than `perModel`
    // exist). Empty when the model's data is not installed or the pool is shut.
    // `limit` caps the engines of this model below `perModel` (models used
    // only for second opinions need few).
    Lease acquire(const QString& model, int limit = 0);

    // Loads one more engine of the model and leaves it idle, unless `count`
    // of them exist or are loading already: a page about to be read finds
    // the engines its lines will ask for. Returns whether one was loaded.
    bool preload(const QString& model, int count);

    // Whether the model's data could not be loaded.
    bool isMissing(const QString& model) const;

    // Frees the engines unused for the idle limit (or all idle ones, the one
    // kept included); returns how many.
    int releaseIdle(bool all = false);

    // Frees every engine and stops the timer that frees idle ones. Engines
    // still lent out are freed when they come back. Idempotent.
    void shutDown();

    int loadedCount() const;
    // The models that have engines loaded now.
    QStringList loadedModels() const;

private:
    struct Entry {
        std::unique_ptr<TesseractEngine> engine;
        bool busy = false;
        Clock::time_point lastUse;
    };
    struct Model {
        std::vector<Entry> entries;
        int loading = 0;
        // The first engine of a model with a large word list is loading; the
        // others wait for it.
        bool bringingWordList = false;
        bool missing = false;
        QByteArray shared;                     // the model without its word list, while an engine holds that
        int dictionaries = 0;                  // what an engine of the whole model reads with
        std::unique_ptr<WordListPages> pages;  // the word list on pages a file backs
        bool resting = false;                  // one engine kept, its word list's pages given back
        bool read = false;                     // an engine of it was lent out since it was loaded
    };

    // Loads one engine of `model` for a caller that holds `lock` (released
    // meanwhile); null when the model could not be loaded. `slot` is the
    // model's, which stays in place (models are never removed).
    std::unique_ptr<TesseractEngine> load(const QString& model, Model& slot, std::unique_lock<std::mutex>& lock);
    // Loads one engine and keeps it (lent out or idle), starting the timer
    // that frees idle ones; null when the model could not be loaded (it is
    // then marked missing) or the pool shut down meanwhile.
    Entry* loadAndKeep(const QString& model, Model& slot, std::unique_lock<std::mutex>& lock, bool busy);
    void giveBack(TesseractEngine* engine);
    void reaperLoop();
    // `rested`: a model kept one engine and gave its word list's pages back.
    int releaseIdleLocked(bool all, std::vector<std::unique_ptr<TesseractEngine>>& freed, bool& rested);

    const int m_perModel;
    const std::chrono::milliseconds m_idleLimit;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_reaperWake;
    std::map<QString, Model> m_models;
    bool m_shut = false;
    std::thread m_reaper;
};

}  // namespace klipo::platform
