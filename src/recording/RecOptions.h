#pragma once

#include "app/SettingsTypes.h"

namespace klipo {

// The file format of a recording; the raw value is also the file extension.
enum class RecFormat { mp4, mov };

template <>
struct RawValues<RecFormat> {
    static constexpr std::array<std::pair<RecFormat, std::string_view>, 2> table{{
        {RecFormat::mp4, "mp4"},
        {RecFormat::mov, "mov"},
    }};
};

// The choice for one recording.
struct RecOptions {
    RecFormat format = RecFormat::mp4;
    int fps = 30;
    bool microphone = false;
};

}  // namespace klipo
