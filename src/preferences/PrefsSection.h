#pragma once

#include "app/SettingsTypes.h"

#include <QString>

namespace klipo {

// The sections of the preferences, in the order they are shown.
enum class PrefsSection { general, capture, annotation, history, shortcuts, about };

template <>
struct RawValues<PrefsSection> {
    static constexpr std::array<std::pair<PrefsSection, std::string_view>, 6> table{{
        {PrefsSection::general, "general"},
        {PrefsSection::capture, "capture"},
        {PrefsSection::annotation, "annotation"},
        {PrefsSection::history, "history"},
        {PrefsSection::shortcuts, "shortcuts"},
        {PrefsSection::about, "about"},
    }};
};

namespace PrefsSections {
QString title(PrefsSection section);       // "通用" ...
QString symbolName(PrefsSection section);  // "gearshape" ...
}  // namespace PrefsSections

}  // namespace klipo
