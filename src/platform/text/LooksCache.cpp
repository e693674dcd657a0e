#include "platform/text/LooksCache.h"

#include "platform/text/LineLooks.h"

namespace klipo::platform {

LooksCache::Looks LooksCache::measured(const QRect& r, bool withScript)
{
    const Key key(r.x(), r.y(), r.width(), r.height());
    {
        std::lock_guard lock(m_mutex);
        const auto known = m_known.find(key);
        if (known != m_known.end() && (known->second.withScript || !withScript)) return known->second;
    }
    // Measured outside the lock: two threads that measure the same area
    // find the same.
    LayoutLine line;
    line.rect = r;
    if (withScript)
        platform::looksOf(m_gray, m_colour, line);
    else
        platform::inkAndGroundOf(m_gray, m_colour, line);
    const Looks looks{line.background, line.ink, line.backgroundColour, line.script, withScript};
    std::lock_guard lock(m_mutex);
    Looks& kept = m_known[key];
    if (!kept.withScript) kept = looks;
    return looks;
}

void LooksCache::looksOf(LayoutLine& line)
{
    const Looks looks = measured(line.rect, true);
    line.background = looks.background;
    line.ink = looks.ink;
    if (!m_colour.isNull()) line.backgroundColour = looks.backgroundColour;
    line.script = looks.script;
}

void LooksCache::inkAndGroundOf(LayoutLine& line)
{
    const Looks looks = measured(line.rect, false);
    line.background = looks.background;
    line.ink = looks.ink;
    if (!m_colour.isNull()) line.backgroundColour = looks.backgroundColour;
}

}  // namespace klipo::platform
