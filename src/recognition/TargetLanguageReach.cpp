#include "recognition/TargetLanguageReach.h"

#include "platform/text/ApertiumPairs.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"

namespace klipo::TargetLanguageReach {

namespace {
std::function<void()>& pickerSlot()
{
    static std::function<void()> open;
    return open;
}
}  // namespace

std::optional<QString> unreachableNote(const QString& target)
{
    const platform::Translator* translator = platform::textServices().translator;
    if (!translator || translator->canTranslateInto(target)) return std::nullopt;
    return QStringLiteral("本机没有能译成%1的语言包，可在「设置 → 截图 → 目标语言」中换一种")
        .arg(platform::chineseLanguageName(platform::pairLanguageCode(target)));
}

void setOpenPicker(std::function<void()> open) { pickerSlot() = std::move(open); }

bool canOpenPicker() { return bool(pickerSlot()); }

void openPicker()
{
    if (const auto& open = pickerSlot()) open();
}

}  // namespace klipo::TargetLanguageReach
