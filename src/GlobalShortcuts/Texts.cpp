#include "GlobalShortcuts/Texts.h"

#include <cstring>

namespace klipo::GlobalShortcuts {

namespace {

struct Text {
    const char* key;
    const char* text;
};

constexpr Text kTexts[] = {
    {"record_shortcut", "点按以录制快捷键"},
    {"press_shortcut", "请按下快捷键"},
    // %1: the title of the menu item.
    {"keyboard_shortcut_used_by_menu_item", "此快捷键已被菜单项「%1」使用。"},
    {"keyboard_shortcut_used_by_system", "此快捷键已被系统或其他程序占用。"},
    {"keyboard_shortcuts_can_be_changed",
     "可以在桌面环境的键盘快捷键设置中更改占用它的快捷键。选择「仍然使用」会保存这个快捷键，"
     "但在占用它的程序释放之前它不会生效；一旦释放，本应用会在几秒内自动启用它，无需重启。"},
    {"ok", "好"},
    {"force_use_shortcut", "仍然使用"},
};

}  // namespace

QString uiText(const char* key)
{
    for (const Text& t : kTexts) {
        if (std::strcmp(t.key, key) == 0) return QString::fromUtf8(t.text);
    }
    return QString::fromUtf8(key);
}

}  // namespace klipo::GlobalShortcuts
