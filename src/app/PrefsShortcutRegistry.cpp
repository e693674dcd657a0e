#include "app/PrefsShortcutRegistry.h"

namespace klipo::PrefsShortcutRegistry {

namespace {
Item core(const char16_t* title, const char* name)
{
    return {QString::fromUtf16(title), QString::fromLatin1(name), std::nullopt, true};
}

Item optional(const char16_t* title, const char* name, const char16_t* note)
{
    return {QString::fromUtf16(title), QString::fromLatin1(name), QString::fromUtf16(note), false};
}

QList<Item> filtered(bool isCore)
{
    QList<Item> out;
    for (const Item& item : items())
        if (item.isCore == isCore) out.append(item);
    return out;
}
}  // namespace

const QList<Item>& items()
{
    static const QList<Item> list{
        core(u"截图翻译", "captureTranslate"),
        core(u"全屏翻译", "captureFullScreenTranslate"),
        core(u"普通截图", "plainCapture"),
        core(u"局部录屏", "recordScreen"),
        core(u"滚动长截图", "scrollCapture"),
        optional(u"截图标注", "captureAnnotate",
                 u"与普通截图共用同一覆盖层，框选后即可直接标注；托盘菜单「截图标注」可直达"),
        optional(u"延时截图", "delayedCapture",
                 u"倒计时结束后自动进入截图选择；截图框选时按 D，或走托盘菜单「快捷截图」"),
        optional(u"重复上次区域", "repeatLastArea",
                 u"按上一次框选的区域直接截图；截图框选时按 R，或走托盘菜单「快捷截图」"),
        optional(u"屏幕取色器", "colorPicker", u"拾取屏幕任意位置颜色；截图框选时按 C，或走托盘菜单「快捷截图」"),
        optional(u"剪贴板贴图", "pinFromClipboard", u"把剪贴板里的图片钉在桌面最上层；托盘菜单「贴图」可直达"),
    };
    return list;
}

QList<Item> coreItems() { return filtered(true); }
QList<Item> optionalItems() { return filtered(false); }

}  // namespace klipo::PrefsShortcutRegistry
