#include "platform/text/LooksCache.h"

#include "platform/text/LineLooks.h"

namespace klipo::platform {

const LooksCache::Looks& LooksCache::measured(const QRect& r, bool withScript)
{
    Looks& known = m_known[Key(r.x(), r.y(), r.width(), r.height())];
    if (known.withScript || (known.colours && !withScript)) return known;
    LayoutLine line;
    line.rect = r;
    if (withScript)
        platform::looksOf(m_gray, m_colour, line);
    else
        platform::inkAndGroundOf(m_gray, m_colour, line);
    known = {line.background, line.ink, line.backgroundColour, line.script, true, withScript};
    return known;
}

void LooksCache::looksOf(LayoutLine& line)
{
    const Looks& looks = measured(line.rect, true);
    line.background = looks.background;
    line.ink = looks.ink;
    if (!m_colour.isNull()) line.backgroundColour = looks.backgroundColour;
    line.script = looks.script;
}

void LooksCache::inkAndGroundOf(LayoutLine& line)
{
    const Looks& looks = measured(line.rect, false);
    line.background = looks.background;
    line.ink = looks.ink;
    if (!m_colour.isNull()) line.backgroundColour = looks.backgroundColour;
}

}  // namespace klipo::platform
