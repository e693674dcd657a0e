#include "GlobalShortcuts/ShortcutSlimMigration.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

#include "platform/SettingsStore.h"

namespace klipo::GlobalShortcuts::ShortcutSlimMigration {

namespace {

const QString kDoneKey = QStringLiteral("shortcutSlimMigrated_v1");

}  // namespace

QList<QPair<QString, Shortcut>> legacyDefaults()
{
    constexpr auto controlShift = Qt::ControlModifier | Qt::ShiftModifier;
    return {
        {QStringLiteral("delayedCapture"), Shortcut(Key::d, controlShift)},
        {QStringLiteral("repeatLastArea"), Shortcut(Key::r, controlShift)},
        {QStringLiteral("colorPicker"), Shortcut(Key::c, controlShift)},
        {QStringLiteral("pinFromClipboard"), Shortcut(Key::v, controlShift)},
        {QStringLiteral("captureAnnotate"), Shortcut(Key::a, controlShift)},
    };
}

void runIfNeeded()
{
    platform::SettingsStore& store = platform::SettingsStore::shared();
    // Only the migration writes the key, and only as true: any value but a
    // stored false (one edited by hand into text or a number included) means
    // it ran, and running it again would clear shortcuts the user chose since.
    if (store.contains(kDoneKey) && store.value(kDoneKey) != QJsonValue(false)) return;
    for (const auto& [rawName, oldDefault] : legacyDefaults()) {
        const Name name(rawName);
        if (getShortcut(name) == oldDefault) setShortcut(std::nullopt, name);
    }
    store.setValue(kDoneKey, true);
}

}  // namespace klipo::GlobalShortcuts::ShortcutSlimMigration
