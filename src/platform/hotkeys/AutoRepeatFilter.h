#pragma once

#include <QtGlobal>

#include <array>

namespace klipo::platform {

// Tells the presses of a held key that the keyboard repeats from real ones, so
// holding a hot key runs its command once. X repeats a held key either as
// press/release pairs that share one time stamp, or (with detectable
// auto-repeat) as presses without releases in between.
class AutoRepeatFilter {
public:
    // `holdGapMs`: the longest pause between two presses of a held key (the
    // server's repeat delay plus a margin). A press that follows a press of
    // the same key within it, with no release seen, counts as a repeat; a
    // longer pause means the release went elsewhere (another grab took the
    // keyboard) and the key was pressed anew.
    explicit AutoRepeatFilter(quint32 holdGapMs) : m_holdGapMs(holdGapMs) {}

    // Records a press at server time `timeMs`; true when it is a repeat.
    bool pressIsRepeat(quint8 keycode, quint32 timeMs);
    void released(quint8 keycode, quint32 timeMs);
    // Whether the key is down from a press at `timeMs`: a release at that time
    // was one half of a repeat pair.
    bool isDownSince(quint8 keycode, quint32 timeMs) const
    {
        return m_keys[keycode].down && m_keys[keycode].lastPressMs == timeMs;
    }

private:
    struct KeyState {
        bool down = false;
        quint32 lastPressMs = 0;
        bool releaseSeen = false;
        quint32 releaseMs = 0;
    };
    quint32 m_holdGapMs;
    std::array<KeyState, 256> m_keys{};
};

}  // namespace klipo::platform
