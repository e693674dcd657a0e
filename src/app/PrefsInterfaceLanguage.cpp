#include "app/PrefsInterfaceLanguage.h"

#include "app/SettingsKeys.h"
#include "platform/SettingsStore.h"

namespace klipo::PrefsInterfaceLanguage {

const QList<Option>& options()
{
    static const QList<Option> list{
        {QString(), QStringLiteral("跟随系统")},
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
        {QStringLiteral("en"), QStringLiteral("English")},
    };
    return list;
}

void apply(const QString& code)
{
    auto& store = platform::SettingsStore::shared();
    if (code.isEmpty()) store.remove(SettingsKey::interfaceLanguage);
    else store.setValue(SettingsKey::interfaceLanguage, code);
}

}  // namespace klipo::PrefsInterfaceLanguage
