#include "preferences/PrefsSection.h"

namespace klipo::PrefsSections {

QString title(PrefsSection section)
{
    switch (section) {
    case PrefsSection::general: return QStringLiteral("通用");
    case PrefsSection::capture: return QStringLiteral("截图");
    case PrefsSection::annotation: return QStringLiteral("标注");
    case PrefsSection::history: return QStringLiteral("历史");
    case PrefsSection::shortcuts: return QStringLiteral("快捷键");
    case PrefsSection::about: break;
    }
    return QStringLiteral("关于");
}

QString symbolName(PrefsSection section)
{
    switch (section) {
    case PrefsSection::general: return QStringLiteral("gearshape");
    case PrefsSection::capture: return QStringLiteral("camera.viewfinder");
    case PrefsSection::annotation: return QStringLiteral("pencil.tip.crop.circle");
    case PrefsSection::history: return QStringLiteral("clock.arrow.circlepath");
    case PrefsSection::shortcuts: return QStringLiteral("keyboard");
    case PrefsSection::about: break;
    }
    return QStringLiteral("info.circle");
}

}  // namespace klipo::PrefsSections
