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
    void setSuspended(bool suspended) override
    {
        m_suspended = suspended;
        if (suspended) return;
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (isTaken(it->second.combination)) {
                const auto lost = it->second.callbacks.lost;
                it = m_entries.erase(it);
                if (lost) lost(takenOutcome());
            } else {
                ++it;
            }
        }
    }
    bool isSuspended() const override { return m_suspended; }
    platform::HotKeyOutcome probe(const platform::KeyCombination& combination) override
    {
        return isTaken(combination) ? takenOutcome() : platform::HotKeyOutcome{};
    }

    // Whether the combination is held for us right now, and by how many names.
    bool isGrabbed(const platform::KeyCombination& combination) const
    {
        return !m_suspended && registrations(combination) > 0;
    }
    int registrations(const platform::KeyCombination& combination) const
    {
        int count = 0;
        for (const auto& [id, entry] : m_entries) count += entry.combination == combination;
        return count;
    }
    // A key press reaches our grabs only while we hold them.
    void press(const platform::KeyCombination& combination)
    {
        if (m_suspended) return;
        std::vector<platform::HotKeyId> ids;
        for (const auto& [id, entry] : m_entries) {
            if (entry.combination == combination) ids.push_back(id);
        }
        for (platform::HotKeyId id : ids) {
            const auto it = m_entries.find(id);
            if (it != m_entries.end() && it->second.callbacks.pressed) it->second.callbacks.pressed();
        }
    }

private:
    struct Entry {
        platform::KeyCombination combination;
        platform::HotKeyCallbacks callbacks;
    };
    bool isTaken(const platform::KeyCombination& combination) const
    {
        return std::find(takenByOthers.begin(), takenByOthers.end(), combination) != takenByOthers.end();
    }
    static platform::HotKeyOutcome takenOutcome()
    {
        return {platform::HotKeyOutcome::Status::taken, QStringLiteral("该快捷键已被系统或其他程序占用")};
    }

    std::map<platform::HotKeyId, Entry> m_entries;
    bool m_suspended = false;
};

// A layout that types what it is told, US otherwise.
class FakeKeyboardLayout : public platform::KeyboardLayout {
public:
    QHash<qint64, char32_t> characters;  // 0: the layout types nothing there

    std::optional<char32_t> character(qint64 keyCode) const override
    {
        if (characters.contains(keyCode)) {
            const char32_t c = characters.value(keyCode);
            return c ? std::optional<char32_t>(c) : std::nullopt;
        }
        return m_us.character(keyCode);
    }
    std::optional<qint64> keyCodeForScanCode(quint32) const override { return std::nullopt; }

private:
    platform::UsKeyboardLayout m_us;
};

}  // namespace klipo::test
