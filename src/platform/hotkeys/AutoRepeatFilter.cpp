#include "platform/hotkeys/AutoRepeatFilter.h"

namespace klipo::platform {

bool AutoRepeatFilter::pressIsRepeat(quint8 keycode, quint32 timeMs)
{
    KeyState& key = m_keys[keycode];
    // Unsigned subtraction keeps working when the server clock wraps.
    const bool repeat = (key.releaseSeen && key.releaseMs == timeMs) ||
                        (key.down && timeMs - key.lastPressMs <= m_holdGapMs);
    key.down = true;
    key.lastPressMs = timeMs;
    key.releaseSeen = false;
    return repeat;
}

void AutoRepeatFilter::released(quint8 keycode, quint32 timeMs)
{
    KeyState& key = m_keys[keycode];
    key.down = false;
    key.releaseSeen = true;
    key.releaseMs = timeMs;
}

}  // namespace klipo::platform
