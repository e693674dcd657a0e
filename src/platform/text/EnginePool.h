#pragma once

#include <QString>

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

// Loaded Tesseract engines, per model ("eng", "chi_sim", "chi_sim+eng" ...).
// An engine is loaded when a line first needs its model, at most `perModel`
// of one model exist at a time, and an engine left unused for `idleLimit` is
// freed (a model costs tens of megabytes per engine). shutDown() frees them
// all; it must run before the program's static objects are destroyed, since
// Tesseract's own statics die with them.
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

    // Whether the model's data could not be loaded.
    bool isMissing(const QString& model) const;

    // Frees the engines unused for the idle limit (or all idle ones); returns how many.
    int releaseIdle(bool all = false);

    // Frees every engine and stops the timer that frees idle ones. Engines
    // still lent out are freed when they come back. Idempotent.
    void shutDown();

    int loadedCount() const;

private:
    struct Entry {
        std::unique_ptr<TesseractEngine> engine;
        bool busy = false;
        Clock::time_point lastUse;
    };
    struct Model {
        std::vector<Entry> entries;
        int loading = 0;
        bool missing = false;
    };

    void giveBack(TesseractEngine* engine);
    void reaperLoop();
    int releaseIdleLocked(bool all, std::vector<std::unique_ptr<TesseractEngine>>& freed);

    const int m_perModel;
    const std::chrono::milliseconds m_idleLimit;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_reaperWake;
    std::map<QString, Model> m_models;
    bool m_shut = false;
    std::thread m_reaper;
};

// Gives memory freed by the engines back to the system.
void returnFreedMemory();

}  // namespace klipo::platform
