#pragma once

#include "platform/text/PageLayout.h"

#include <QImage>

#include <map>
#include <mutex>
#include <tuple>

namespace klipo::platform {

// The looks of areas of one picture, each measured once: the same band or
// word is weighed by several rules of the layout (the spacing of a region's
// words, its icons, its pieces in faint or strong ink), often more than once.
// Several threads may ask at once.
class LooksCache {
public:
    // `colour` may be null (a grey picture); both must outlive the cache.
    LooksCache(const QImage& gray, const QImage& colour) : m_gray(gray), m_colour(colour) {}

    // As looksOf(): the colours and script of `line.rect`.
    void looksOf(LayoutLine& line);
    // As inkAndGroundOf(): the colours alone.
    void inkAndGroundOf(LayoutLine& line);

private:
    struct Looks {
        int background = 255;
        int ink = 0;
        QRgb backgroundColour = 0xffffffffu;
        LineScript script = LineScript::Unknown;
        bool withScript = false;
    };
    using Key = std::tuple<int, int, int, int>;
    Looks measured(const QRect& r, bool withScript);

    const QImage& m_gray;
    const QImage& m_colour;
    std::mutex m_mutex;
    std::map<Key, Looks> m_known;
};

}  // namespace klipo::platform
