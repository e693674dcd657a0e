#include "platform/hotkeys/HotKeyService.h"

namespace klipo::platform {

HotKeyOutcome UnavailableHotKeyService::outcome()
{
    return {HotKeyOutcome::Status::unsupported, QStringLiteral("全局快捷键需要 X11 桌面会话，当前会话无法注册")};
}

}  // namespace klipo::platform
