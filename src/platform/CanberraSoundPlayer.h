#pragma once

#include "platform/DesktopNotifier.h"

namespace klipo::platform {

// The freedesktop sound-theme event id that stands in for one of the
// program's sound names ("Tink" -> "camera-shutter" ...); empty for a name the
// program does not know.
QString soundThemeEventId(const QString& soundName);

// Plays theme sounds with libcanberra. All players share one context for the
// process, made on the first play and never destroyed: destroying it unloads
// the sound driver while its playback threads may still run.
class CanberraSoundPlayer final : public SoundPlayer {
public:
    bool play(const QString& name) override;
};

}  // namespace klipo::platform
