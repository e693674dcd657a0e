#include "platform/text/EnginePool.h"

#include "platform/text/ModelFile.h"
#include "platform/text/TesseractEngine.h"
#include "platform/text/WordListPages.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace klipo::platform {

namespace {

// A model file above this holds a word list that takes long to load (Latin:
// 89 MB, 0.2 s); eight engines loading it whole at once would each hold a
// copy of the file meanwhile (a peak of 1.2-1.5 GB).
constexpr qint64 kLargeModelBytes = 16 << 20;

// Every pool alive, so that the program's exit can free their engines while
// Tesseract's statics still stand.
std::mutex& poolsMutex()
{
    static auto* m = new std::mutex;
    return *m;
}

std::set<EnginePool*>& livePools()
{
    static auto* pools = new std::set<EnginePool*>;
    return *pools;
}

void shutDownLivePools()
{
    std::lock_guard lock(poolsMutex());
    for (EnginePool* pool : livePools()) pool->shutDown();
}

// Tesseract creates some of its statics while a model loads; an exit handler
// registered after that runs before they are destroyed. One registration per
// model ever loaded in the process.
void guardExitAfterLoading(const QString& model)
{
    static auto* guarded = new std::set<QString>;
    std::lock_guard lock(poolsMutex());
    if (guarded->insert(model).second) std::atexit(shutDownLivePools);
}

// Frees the engines, then gives the memory back to the system, also where
// none was freed but a model came to rest (`rested`): the heap its load
// left behind is as free as an engine's.
void freeEngines(std::vector<std::unique_ptr<TesseractEngine>>& engines, bool rested)
{
    if (engines.empty() && !rested) return;
    engines.clear();
    TesseractEngine::freeUnusedDictionaries();
    returnFreedMemory();
}

}  // namespace

EnginePool::Lease::~Lease()
{
    if (m_pool && m_engine) m_pool->giveBack(m_engine);
}

EnginePool::EnginePool(int perModel, std::chrono::milliseconds idleLimit)
    : m_perModel(std::max(1, perModel)), m_idleLimit(idleLimit)
{
    std::lock_guard lock(poolsMutex());
    livePools().insert(this);
}

EnginePool::~EnginePool()
{
    {
        std::lock_guard lock(poolsMutex());
        livePools().erase(this);
    }
    shutDown();
}

EnginePool::Lease EnginePool::acquire(const QString& model, int limit)
{
    const int cap = limit > 0 ? std::min(limit, m_perModel) : m_perModel;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_shut) return {};
        Model& slot = m_models[model];
        if (slot.missing) return {};
        for (Entry& e : slot.entries) {
            if (!e.busy) {
                e.busy = true;
                slot.read = true;
                slot.resting = false;  // the word list's pages come back as they are read
                return Lease(this, e.engine.get());
            }
        }
        // While the first engine of a model with a large word list loads, the
        // others wait to share it; those of a small model load along with it
        // (eight Chinese engines ready in 0.11 s instead of 0.14-0.21 s).
        if (!slot.bringingWordList && int(slot.entries.size()) + slot.loading < cap) {
            slot.read = true;
            Entry* loaded = loadAndKeep(model, slot, lock, true);
            return loaded ? Lease(this, loaded->engine.get()) : Lease();
        }
        m_changed.wait(lock);
    }
}

bool EnginePool::preload(const QString& model, int count)
{
    const int cap = std::clamp(count, 1, m_perModel);
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_shut) return false;
        Model& slot = m_models[model];
        if (slot.missing || int(slot.entries.size()) + slot.loading >= cap) return false;
        if (!slot.bringingWordList) {
            if (!loadAndKeep(model, slot, lock, false)) return false;
            m_changed.notify_all();  // a line may be waiting for an engine of the model
            return true;
        }
        m_changed.wait(lock);
    }
}

EnginePool::Entry* EnginePool::loadAndKeep(const QString& model, Model& slot, std::unique_lock<std::mutex>& lock,
                                           bool busy)
{
    std::unique_ptr<TesseractEngine> engine = load(model, slot, lock);
    if (!engine) {
        slot.missing = true;
        return nullptr;
    }
    if (m_shut) return nullptr;
    slot.entries.push_back({std::move(engine), busy, Clock::now()});
    if (!m_reaper.joinable()) m_reaper = std::thread([this] { reaperLoop(); });
    m_reaperWake.notify_all();
    return &slot.entries.back();
}

std::unique_ptr<TesseractEngine> EnginePool::load(const QString& model, Model& slot, std::unique_lock<std::mutex>& lock)
{
    // Several models at once ("chi_sim+eng") load from their files.
    const bool single = !model.contains(QLatin1Char('+'));
    const bool first = single && slot.entries.empty();
    const QByteArray shared = single ? slot.shared : QByteArray();
    const int dictionaries = slot.dictionaries;
    ++slot.loading;
    if (first) slot.bringingWordList = QFileInfo(ModelFile::pathOf(model)).size() > kLargeModelBytes;
    lock.unlock();

    auto engine = std::make_unique<TesseractEngine>();
    bool loaded = false;
    QByteArray withoutWordList;
    std::unique_ptr<WordListPages> pages;
    if (!single) {
        loaded = engine->load(model);
    } else if (!first && !shared.isEmpty()) {
        loaded = engine->load(model, shared) && engine->dictionaryCount() == dictionaries;
        if (!loaded) {
            // The word list was not there to share: this engine reads the
            // whole model, after what the failed load left behind is gone.
            engine = std::make_unique<TesseractEngine>();
            TesseractEngine::freeUnusedDictionaries();
        }
    }
    if (single && !loaded) {
        const ModelFile file(ModelFile::pathOf(model));
        loaded = engine->load(model, file.bytes());
        if (loaded && first) withoutWordList = ModelFile::withoutWordList(file.bytes());
        if (loaded && first && !withoutWordList.isEmpty() && file.bytes().size() > kLargeModelBytes)
            pages = WordListPages::adopt(file.bytes(), WordListPages::defaultFolder());
    }
    if (loaded) guardExitAfterLoading(model);

    lock.lock();
    --slot.loading;
    if (first) {
        slot.bringingWordList = false;
        if (loaded) {
            slot.shared = std::move(withoutWordList);
            slot.dictionaries = engine->dictionaryCount();
            slot.pages = std::move(pages);
        }
    }
    m_changed.notify_all();
    if (!loaded) return nullptr;
    return engine;
}

void EnginePool::giveBack(TesseractEngine* engine)
{
    std::unique_ptr<TesseractEngine> orphan;  // freed outside the lock
    std::lock_guard lock(m_mutex);
    for (auto& [name, slot] : m_models) {
        const auto it = std::find_if(slot.entries.begin(), slot.entries.end(),
                                     [engine](const Entry& e) { return e.engine.get() == engine; });
        if (it == slot.entries.end()) continue;
        it->busy = false;
        it->lastUse = Clock::now();
        m_reaperWake.notify_all();  // its idle time starts now
        if (m_shut) {
            orphan = std::move(it->engine);
            slot.entries.erase(it);
        }
        m_changed.notify_all();
        return;
    }
}

bool EnginePool::isMissing(const QString& model) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_models.find(model);
    return it != m_models.end() && it->second.missing;
}

int EnginePool::releaseIdleLocked(bool all, std::vector<std::unique_ptr<TesseractEngine>>& freed, bool& rested)
{
    const auto now = Clock::now();
    int count = 0;
    for (auto& [name, slot] : m_models) {
        // Another engine of the model may be loading with the word list these share.
        if (slot.loading > 0 && !m_shut) continue;
        // With its word list on pages a file backs, the model keeps one
        // engine (the one lent out, else the last used) and gives those pages
        // back. A model only warmed up (at launch) and never read with keeps
        // none: nothing says it will be, and its engine goes like any other.
        const bool keepOne = !all && slot.pages && slot.read;
        const Entry* kept = nullptr;
        if (keepOne) {
            for (const Entry& e : slot.entries)
                if (!kept || (!kept->busy && (e.busy || e.lastUse > kept->lastUse))) kept = &e;
        }
        const TesseractEngine* keptEngine = kept ? kept->engine.get() : nullptr;
        for (auto it = slot.entries.begin(); it != slot.entries.end();) {
            if (!it->busy && it->engine.get() != keptEngine && (all || now - it->lastUse >= m_idleLimit)) {
                freed.push_back(std::move(it->engine));
                it = slot.entries.erase(it);
                ++count;
            } else {
                ++it;
            }
        }
        if (keepOne && !slot.resting && slot.entries.size() == 1 && !slot.entries.front().busy &&
            now - slot.entries.front().lastUse >= m_idleLimit) {
            // Pages that cannot be given back: the model goes as any other at the next turn.
            slot.resting = slot.pages->giveBack();
            if (!slot.resting) slot.pages.reset();
            // What loading the model left on the heap goes back too.
            rested = true;
        }
        if (slot.entries.empty()) {
            slot.read = false;
            slot.shared.clear();
            slot.dictionaries = 0;
            slot.pages.reset();
            slot.resting = false;
        }
    }
    return count;
}

int EnginePool::releaseIdle(bool all)
{
    std::vector<std::unique_ptr<TesseractEngine>> freed;
    int count = 0;
    bool rested = false;
    {
        std::lock_guard lock(m_mutex);
        count = releaseIdleLocked(all, freed, rested);
    }
    freeEngines(freed, rested);
    return count;
}

void EnginePool::reaperLoop()
{
    std::unique_lock lock(m_mutex);
    while (!m_shut) {
        bool any = false;
        auto next = Clock::time_point::max();
        for (const auto& [name, slot] : m_models) {
            if (slot.resting) continue;  // nothing left to free there until it reads again
            for (const Entry& e : slot.entries) {
                any = true;
                if (!e.busy) next = std::min(next, e.lastUse + m_idleLimit);
            }
        }
        if (!any) {
            m_reaperWake.wait(lock);
            continue;
        }
        if (next == Clock::time_point::max())
            m_reaperWake.wait_for(lock, m_idleLimit);
        else
            m_reaperWake.wait_until(lock, next);
        if (m_shut) break;
        std::vector<std::unique_ptr<TesseractEngine>> freed;
        bool rested = false;
        if (releaseIdleLocked(false, freed, rested) > 0 || rested) {
            lock.unlock();
            freeEngines(freed, rested);
            lock.lock();
        }
    }
}

void EnginePool::shutDown()
{
    std::vector<std::unique_ptr<TesseractEngine>> freed;
    bool rested = false;
    {
        std::lock_guard lock(m_mutex);
        m_shut = true;
        releaseIdleLocked(true, freed, rested);
        m_reaperWake.notify_all();
        m_changed.notify_all();
    }
    if (m_reaper.joinable() && m_reaper.get_id() != std::this_thread::get_id()) m_reaper.join();
    freeEngines(freed, rested);
}

QStringList EnginePool::loadedModels() const
{
    std::lock_guard lock(m_mutex);
    QStringList models;
    for (const auto& [name, slot] : m_models)
        if (!slot.entries.empty()) models << name;
    return models;
}

int EnginePool::loadedCount() const
{
    std::lock_guard lock(m_mutex);
    int n = 0;
    for (const auto& [name, slot] : m_models) n += int(slot.entries.size());
    return n;
}

}  // namespace klipo::platform
