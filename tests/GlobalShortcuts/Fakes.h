#pragma once

#include "platform/hotkeys/HotKeyService.h"
#include "platform/hotkeys/KeyboardLayout.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <vector>

namespace klipo::test {

// Hot keys in memory: what is registered, what "other programs" hold, and
// presses on demand.
class FakeHotKeyService : public platform::HotKeyService {
public:
    std::vector<platform::KeyCombination> takenByOthers;

    platform::HotKeyOutcome add(platform::HotKeyId id, const platform::KeyCombination& combination,
                                platform::HotKeyCallbacks callbacks) override
    {
        const platform::HotKeyOutcome outcome = probe(combination);
        if (outcome.isRegistered()) m_entries[id] = {combination, std::move(callbacks)};
        return outcome;
    }
    void remove(platform::HotKeyId id) override { m_entries.erase(id); }
    // Resuming loses the keys another program took meanwhile.
    void setSuspended(bool suspended) override
    {
        m_suspended = suspended;
        for (auto it = m_entries.begin(); !suspended && it != m_entries.end();) {
            const platform::HotKeyOutcome outcome = probe(it->second.combination);
            if (outcome.isRegistered()) {
                ++it;
                continue;
            }
            const auto lost = it->second.callbacks.lost;
            it = m_entries.erase(it);
            if (lost) lost(outcome);
        }
    }
    bool isSuspended() const override { return m_suspended; }
    platform::HotKeyOutcome probe(const platform::KeyCombination& combination) override
    {
        if (std::find(takenByOthers.begin(), takenByOthers.end(), combination) == takenByOthers.end()) return {};
        return {platform::HotKeyOutcome::Status::taken, QStringLiteral("该快捷键已被系统或其他程序占用")};
    }

    // How many of our registrations hold the combination right now.
    int held(const platform::KeyCombination& combination) const
    {
        return m_suspended ? 0 : int(std::count_if(m_entries.begin(), m_entries.end(), [&](const auto& entry) {
            return entry.second.combination == combination;
        }));
    }
    // A key press reaches our grabs only while we hold them; its release
    // reaches those its press reached.
    void press(const platform::KeyCombination& combination)
    {
        std::vector<platform::HotKeyId> ids;
        for (const auto& [id, entry] : m_entries)
            if (!m_suspended && entry.combination == combination) ids.push_back(id);
        m_down[combination.keyCode] = ids;
        for (platform::HotKeyId id : ids)  // an earlier action may have removed a later one
            if (m_entries.count(id) && m_entries[id].callbacks.pressed) m_entries[id].callbacks.pressed();
    }
    void release(const platform::KeyCombination& combination)
    {
        const std::vector<platform::HotKeyId> ids = m_down[combination.keyCode];
        m_down.erase(combination.keyCode);
        for (platform::HotKeyId id : ids)
            if (m_entries.count(id) && m_entries[id].callbacks.released) m_entries[id].callbacks.released();
    }

private:
    struct Entry {
        platform::KeyCombination combination;
        platform::HotKeyCallbacks callbacks;
    };
    std::map<platform::HotKeyId, Entry> m_entries;
    std::map<qint64, std::vector<platform::HotKeyId>> m_down;
    bool m_suspended = false;
};

// A layout that types what it is told (0: nothing), US otherwise.
class FakeKeyboardLayout : public platform::KeyboardLayout {
public:
    QHash<qint64, char32_t> characters;

    std::optional<char32_t> character(qint64 keyCode) const override
    {
        if (!characters.contains(keyCode)) return platform::UsKeyboardLayout().character(keyCode);
        return characters.value(keyCode) ? std::optional<char32_t>(characters.value(keyCode)) : std::nullopt;
    }
    std::optional<qint64> keyCodeForScanCode(quint32) const override { return std::nullopt; }
};

}  // namespace klipo::test
