// Storage under "GlobalShortcuts_" + name, the change notification, hot keys
// kept per name, pausing, the one-time migration and menu key texts.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/ShortcutSlimMigration.h"
#include "GlobalShortcuts/ShortcutStorage.h"
#include "Fakes.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "platform/hotkeys/HotKeyPlatform.h"

#include <gtest/gtest.h>

#include <QAction>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Shortcut kControlShiftT(Key::t, kControlShift);
const Shortcut kCommandOptionK(Key::k, Qt::MetaModifier | Qt::AltModifier);

platform::SettingsStore& store() { return platform::SettingsStore::shared(); }

// Names made fresh for each test, so no test sees another's stored values.
QString uniqueName(const char* base)
{
    static int counter = 0;
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(++counter);
}

class ShortcutStorage : public ::testing::Test {
protected:
    ShortcutStorage()
    {
        platform::NotificationCenter::shared().observe(
            shortcutByNameDidChange, &context,
            [this](const QVariantMap& info) { changes.append(info.value(QStringLiteral("name")).toString()); });
    }

    test::FakeHotKeyService hotKeys;
    platform::ScopedHotKeyPlatform scope{&hotKeys, nullptr};
    QStringList changes;
    QObject context;  // actions and observers live while it does; goes first
};

}  // namespace

TEST_F(ShortcutStorage, defaults_AreStoredOnce_ClearedForGood_AndBroughtBackOnlyByReset)
{
    const Name withDefault(uniqueName("withDefault"), kControlShiftT);
    EXPECT_EQ(store().value(QStringLiteral("GlobalShortcuts_") + withDefault.rawValue()),
              QJsonValue(QStringLiteral(R"({"carbonKeyCode":17,"carbonModifiers":4608})")));
    EXPECT_EQ(changes, QStringList{withDefault.rawValue()});
    const Name withoutDefault(uniqueName("withoutDefault"));
    setShortcut(kCommandOptionK, withoutDefault);
    changes.clear();

    // Clearing writes false where a default would come back, and removes the key otherwise.
    setShortcut(std::nullopt, withDefault);
    setShortcut(std::nullopt, withoutDefault);
    EXPECT_EQ(store().value(withDefault.storageKey()), QJsonValue(false));
    EXPECT_FALSE(store().contains(withoutDefault.storageKey()));
    EXPECT_EQ(changes, (QStringList{withDefault.rawValue(), withoutDefault.rawValue()}));

    // The next launch: the cleared default stays away, and clearing again changes nothing.
    const Name nextLaunch(withDefault.rawValue(), kControlShiftT);
    setShortcut(std::nullopt, withoutDefault);
    EXPECT_FALSE(getShortcut(nextLaunch));
    EXPECT_EQ(changes.size(), 2);

    setShortcut(kCommandOptionK, withoutDefault);
    reset({nextLaunch, withoutDefault});
    EXPECT_EQ(getShortcut(nextLaunch), kControlShiftT);
    EXPECT_FALSE(store().contains(withoutDefault.storageKey()));
}

TEST_F(ShortcutStorage, unreadableStoredValue_MeansNoShortcut_AndTheOldCombinationRunsNothing)
{
    const Name name(uniqueName("edited"), kControlShiftT);
    int runs = 0;
    onKeyDown(name, &context, [&] { ++runs; });
    store().setValue(name.storageKey(), QStringLiteral("{\"carbonKeyCode\":"));
    EXPECT_FALSE(getShortcut(name));
    hotKeys.press(kControlShiftT.combination());
    EXPECT_EQ(runs, 0);
}

TEST_F(ShortcutStorage, onKeyDown_RunsTheNamesActionsInOrder_WhileTheirContextsLive_AndFollowsTheShortcut)
{
    const Name name(uniqueName("ordered"), kControlShiftT);
    QStringList runs;
    auto* shortLived = new QObject;
    const Registration registration = onKeyDown(name, &context, [&] { runs << QStringLiteral("first"); });
    onKeyDown(name, shortLived, [&] { runs << QStringLiteral("gone"); });
    onKeyDown(name, &context, [&] { runs << QStringLiteral("second"); });
    EXPECT_EQ(registration.state, Registration::State::registered);
    EXPECT_EQ(hotKeys.registrations(kControlShiftT.combination()), 1);
    delete shortLived;
    hotKeys.press(kControlShiftT.combination());
    EXPECT_EQ(runs, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));

    // Moving the shortcut moves the hot key.
    setShortcut(kCommandOptionK, name);
    EXPECT_FALSE(hotKeys.isGrabbed(kControlShiftT.combination()));
    hotKeys.press(kCommandOptionK.combination());
    EXPECT_EQ(runs.size(), 4);

    // The last context gone, the hot key is let go.
    auto* lastContext = new QObject;
    const Name other(uniqueName("contextOther"), kControlShiftT);
    onKeyDown(other, lastContext, [] {});
    delete lastContext;
    EXPECT_FALSE(hotKeys.isGrabbed(kControlShiftT.combination()));
    EXPECT_EQ(GlobalShortcuts::registration(other).state, Registration::State::inactive);
}

TEST_F(ShortcutStorage, pausing_LetsGoOfTheKeys_AndAKeyTakenMeanwhileIsReportedLost)
{
    const Name kept(uniqueName("kept"), kControlShiftT);
    const Name lost(uniqueName("lost"), kCommandOptionK);
    int runs = 0;
    onKeyDown(kept, &context, [&] { ++runs; });
    onKeyDown(lost, &context, [&] { ++runs; });
    QStringList lostNames;
    QObject observing;
    platform::NotificationCenter::shared().observe(registrationDidChange, &observing, [&](const QVariantMap& info) {
        lostNames << info.value(QStringLiteral("name")).toString();
    });

    setPaused(true);
    EXPECT_TRUE(isPaused());
    EXPECT_FALSE(hotKeys.isGrabbed(kControlShiftT.combination()));
    hotKeys.press(kControlShiftT.combination());
    EXPECT_EQ(runs, 0);

    hotKeys.takenByOthers.push_back(kCommandOptionK.combination());
    setPaused(false);
    EXPECT_TRUE(hotKeys.isGrabbed(kControlShiftT.combination()));
    EXPECT_EQ(registration(kept).state, Registration::State::registered);
    EXPECT_EQ(registration(lost).state, Registration::State::taken);
    EXPECT_EQ(lostNames, QStringList{lost.rawValue()});
    hotKeys.press(kControlShiftT.combination());
    EXPECT_EQ(runs, 1);
}

TEST_F(ShortcutStorage, migration_ClearsOnlyTheOldDefaults_AndRunsOnce)
{
    const Shortcut oldDelayed(Key::d, kControlShift);
    const Shortcut userColorPicker(Key::c, Qt::ControlModifier | Qt::AltModifier);
    store().remove(QStringLiteral("shortcutSlimMigrated_v1"));
    setShortcut(oldDelayed, Name::delayedCapture());
    setShortcut(userColorPicker, Name::colorPicker());
    setShortcut(Shortcut(Key::v, kControlShift), Name::pinFromClipboard());

    ShortcutSlimMigration::runIfNeeded();
    EXPECT_FALSE(store().contains(Name::delayedCapture().storageKey()));
    EXPECT_FALSE(getShortcut(Name::pinFromClipboard()));
    EXPECT_EQ(getShortcut(Name::colorPicker()), userColorPicker);
    EXPECT_EQ(store().value(QStringLiteral("shortcutSlimMigrated_v1")), QJsonValue(true));

    setShortcut(oldDelayed, Name::delayedCapture());
    ShortcutSlimMigration::runIfNeeded();
    EXPECT_EQ(getShortcut(Name::delayedCapture()), oldDelayed);
}

TEST_F(ShortcutStorage, boundMenuItem_ShowsTheNamesKeyText_AndFollowsItsChanges)
{
    const Name name(uniqueName("menu"), kControlShiftT);
    QAction item(QStringLiteral("截图翻译"));
    setShortcut(&item, name);
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));

    setShortcut(kCommandOptionK, name);
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::META | Qt::ALT | Qt::Key_K));
    setShortcut(std::nullopt, name);
    EXPECT_TRUE(item.shortcut().isEmpty());

    // Rebinding follows only the new name; unbinding follows none.
    const Name other(uniqueName("menuOther"));
    setShortcut(&item, other);
    setShortcut(kControlShiftT, name);
    EXPECT_TRUE(item.shortcut().isEmpty());
    setShortcut(&item, std::nullopt);
    setShortcut(kCommandOptionK, other);
    EXPECT_TRUE(item.shortcut().isEmpty());
    EXPECT_FALSE(boundName(&item));
}

TEST_F(ShortcutStorage, damagedStoredShortcut_FallsBackToTheDefault_AndIsReportedOnce)
{
    takeResetNames();
    const QJsonValue damaged[] = {
        QStringLiteral("{\"carbonKeyCode\":17,\"carbonMod"),                 // cut short
        QStringLiteral("{\"carbonKeyCode\":\"17\",\"carbonModifiers\":4608}"),  // key code as text
        QStringLiteral("{\"carbonKeyCode\":9999,\"carbonModifiers\":4608}"),  // no such key
        QStringLiteral("{\"carbonKeyCode\":56,\"carbonModifiers\":4608}"),    // the Shift key itself
        QJsonValue(4608),
    };
    for (const QJsonValue& value : damaged) {
        const QString raw = uniqueName("damaged");
        store().setValue(storageKeyFor(raw), value);
        const Name name(raw, kControlShiftT);
        EXPECT_EQ(getShortcut(name), kControlShiftT) << raw.toStdString();
        EXPECT_EQ(takeResetNames(), QStringList{raw});
        EXPECT_EQ(onKeyDown(name, &context, [] {}).state, Registration::State::registered);
        // Repaired: the next launch has nothing to say.
        const Name nextLaunch(raw, kControlShiftT);
        EXPECT_TRUE(takeResetNames().isEmpty());
    }

    // Without a default the damaged entry goes; a cleared name stays cleared.
    const QString noDefault = uniqueName("damagedNoDefault");
    store().setValue(storageKeyFor(noDefault), QStringLiteral("garbage"));
    const Name withoutDefault(noDefault);
    EXPECT_FALSE(store().contains(withoutDefault.storageKey()));
    const QString cleared = uniqueName("cleared");
    store().setValue(storageKeyFor(cleared), false);
    const Name clearedName(cleared, kControlShiftT);
    EXPECT_FALSE(getShortcut(clearedName));
    EXPECT_EQ(takeResetNames(), QStringList{noDefault});
}

TEST_F(ShortcutStorage, shortcutWithoutControlAltOrSuper_IsNeverGrabbed_ExceptFunctionKeys)
{
    const Shortcut refused[] = {Shortcut(Key::return_, {}), Shortcut(Key::a, Qt::ShiftModifier)};
    for (const Shortcut& shortcut : refused) {
        const Name name(uniqueName("plain"), shortcut);
        const Registration result = onKeyDown(name, &context, [] {});
        EXPECT_EQ(result.state, Registration::State::noModifier) << shortcut.description().toStdString();
        EXPECT_FALSE(result.message.isEmpty());
        EXPECT_EQ(hotKeys.registrations(shortcut.combination()), 0);
    }
    const Shortcut allowed[] = {Shortcut(Key::f20, Qt::ShiftModifier), Shortcut(Key::return_, Qt::AltModifier),
                                Shortcut(Key::a, Qt::MetaModifier)};
    for (const Shortcut& shortcut : allowed) {
        const Name name(uniqueName("allowed"), shortcut);
        EXPECT_EQ(onKeyDown(name, &context, [] {}).state, Registration::State::registered)
            << shortcut.description().toStdString();
    }
}
