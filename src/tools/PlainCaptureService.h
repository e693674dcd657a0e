#pragma once

#include <functional>

namespace klipo {

// Plain screenshots: saved to the capture folder and copied.
namespace PlainCaptureService {
// Not built yet: reports that the feature is pending.
void start(std::function<void()> onPermissionDenied);
}

}  // namespace klipo
