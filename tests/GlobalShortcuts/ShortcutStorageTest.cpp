// Shortcuts, their JSON, texts on the keyboard layout and the X modifiers they
// are grabbed with; names: storage, change notifications, hot keys per name,
// pausing, the one-time migration, menu texts; key-up actions, event streams,
// bound actions and buttons, resetAll.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/ShortcutEvents.h"
#include "GlobalShortcuts/ShortcutSlimMigration.h"
#include "GlobalShortcuts/ShortcutStorage.h"
#include "GlobalShortcuts/ViewModifiers.h"
#include "Fakes.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "platform/hotkeys/AutoRepeatFilter.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/X11HotKeyService.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QJsonObject>
#include <QPushButton>

#include <xcb/xcb.h>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Shortcut kControlShiftT(Key::t, kControlShift);
const Shortcut kCommandOptionK(Key::k, Qt::MetaModifier | Qt::AltModifier);
const Shortcut kControlAltP(Key::p, Qt::ControlModifier | Qt::AltModifier);
using Events = QList<EventType>;

platform::SettingsStore& store() { return platform::SettingsStore::shared(); }

// Names made fresh for each test, so no test sees another's stored values.
QString uniqueName(const char* base)
{
    static int counter = 0;
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(++counter);
}

struct ShortcutStorage : ::testing::Test {
    void pressAndRelease(const Shortcut& shortcut)
    {
        hotKeys.press(shortcut.combination());
        hotKeys.release(shortcut.combination());
    }

    test::FakeHotKeyService hotKeys;
    test::FakeKeyboardLayout layout;
    platform::ScopedHotKeyPlatform scope{&hotKeys, &layout};
    QObject context;  // actions and observers live while it does; goes first
};

}  // namespace

TEST(ShortcutModel, json_RoundTripsInAnyMemberOrder_AndDropsStrayModifierBits)
{
    EXPECT_EQ(Shortcut::fromJson(kControlShiftT.toJson()), kControlShiftT);
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonModifiers":256,"carbonKeyCode":9,"note":"x"})"),
              Shortcut(Key::v, Qt::MetaModifier));
    // Caps Lock and an unknown high bit written by hand: the value still matches.
    EXPECT_EQ(Shortcut::fromJson(R"({"carbonKeyCode":17,"carbonModifiers":1054208})"), kControlShiftT);
    EXPECT_EQ(Shortcut(Key::a, Qt::MetaModifier | Qt::KeypadModifier).carbonModifiers, Modifier::command);
}

TEST_F(ShortcutStorage, texts_FollowTheKeyboardLayout_AndMarkKeysItCannotType)
{
    layout.characters[Key::y.rawValue] = U'z';  // a German layout swaps Y and Z
    layout.characters[Key::semicolon.rawValue] = U'ö';
    layout.characters[Key::q.rawValue] = 0;  // a key this layout types nothing on
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).description(), QStringLiteral("Ctrl+Z"));
    EXPECT_EQ(Shortcut(Key::semicolon, Qt::ControlModifier).description(), QStringLiteral("Ctrl+Ö"));
    EXPECT_EQ(Shortcut(Key::q, Qt::MetaModifier).description(), QStringLiteral("Meta+\uFFFD"));
    // Menu key texts follow the layout too; keypad and untyped keys get none.
    EXPECT_EQ(Shortcut(Key::y, Qt::ControlModifier).keySequence(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(Shortcut(Key::delete_, Qt::MetaModifier).keySequence(), QKeySequence(Qt::META | Qt::Key_Backspace));
    EXPECT_TRUE(Shortcut(Key::keypad5, Qt::ControlModifier).keySequence().isEmpty());
    EXPECT_TRUE(Shortcut(Key::q, Qt::ControlModifier).keySequence().isEmpty());
}

TEST(AutoRepeatFilter, heldKeyRunsOnce_WhetherRepeatsComeAsPairsOrAsPressesAlone)
{
    platform::AutoRepeatFilter filter(700);
    EXPECT_FALSE(filter.pressIsRepeat(28, 1000));
    filter.released(28, 1500);
    EXPECT_FALSE(filter.isDownSince(28, 1500));   // a release, as far as can be told yet
    EXPECT_TRUE(filter.pressIsRepeat(28, 1500));  // a press/release pair sharing a time stamp
    EXPECT_TRUE(filter.isDownSince(28, 1500));    // so that release let nothing go
    filter.released(28, 1600);
    EXPECT_FALSE(filter.isDownSince(28, 1600));
    EXPECT_FALSE(filter.pressIsRepeat(28, 1650));  // a real second press
    filter.released(28, 1700);
    EXPECT_FALSE(filter.pressIsRepeat(28, 5000));
    EXPECT_TRUE(filter.pressIsRepeat(28, 5600));   // a press alone, soon after the last
    EXPECT_FALSE(filter.pressIsRepeat(28, 9000));  // its release went to another grab
    EXPECT_FALSE(filter.pressIsRepeat(41, 9010));  // other keys count apart
    EXPECT_FALSE(filter.pressIsRepeat(30, 0xFFFFFF00u));
    EXPECT_TRUE(filter.pressIsRepeat(30, 0x40u));  // the server clock wrapped
}

TEST_F(ShortcutStorage, defaults_AreStoredOnce_ClearedForGood_AndBroughtBackOnlyByReset)
{
    QStringList changes;
    QObject observing;
    platform::NotificationCenter::shared().observe(shortcutByNameDidChange, &observing, [&](const QVariantMap& info) {
        changes << info.value(QStringLiteral("name")).toString();
    });
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

TEST_F(ShortcutStorage, onKeyDown_RunsTheNamesActionsInOrder_WhileTheirContextsLive_AndFollowsTheShortcut)
{
    const Name name(uniqueName("ordered"), kControlShiftT);
    QStringList runs;
    auto* shortLived = new QObject;
    const Registration registration = onKeyDown(name, &context, [&] { runs << QStringLiteral("first"); });
    onKeyDown(name, shortLived, [&] { runs << QStringLiteral("gone"); });
    onKeyDown(name, &context, [&] { runs << QStringLiteral("second"); });
    EXPECT_EQ(registration.state, Registration::State::registered);
    delete shortLived;
    hotKeys.press(kControlShiftT.combination());
    EXPECT_EQ(runs, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));

    // Moving the shortcut moves the hot key.
    setShortcut(kCommandOptionK, name);
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);
    hotKeys.press(kCommandOptionK.combination());
    EXPECT_EQ(runs.size(), 4);

    // An unreadable value written meanwhile: no shortcut, and its key runs nothing.
    store().setValue(name.storageKey(), QStringLiteral("{\"carbonKeyCode\":"));
    EXPECT_FALSE(getShortcut(name));
    hotKeys.press(kCommandOptionK.combination());
    EXPECT_EQ(runs.size(), 4);

    // The last context gone, the hot key is let go.
    auto* lastContext = new QObject;
    const Name other(uniqueName("contextOther"), kControlShiftT);
    onKeyDown(other, lastContext, [] {});
    delete lastContext;
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);
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
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);

    hotKeys.takenByOthers.push_back(kCommandOptionK.combination());
    setPaused(false);
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

    setShortcut(oldDelayed, Name::delayedCapture());
    ShortcutSlimMigration::runIfNeeded();
    EXPECT_EQ(getShortcut(Name::delayedCapture()), oldDelayed);
}

// The flag edited by hand into another type still means the migration ran:
// running it again would clear a combination the user chose since.
TEST_F(ShortcutStorage, migrationFlagOfAnotherType_StillMeansDone)
{
    const Shortcut chosenAgain(Key::d, kControlShift);
    for (const QJsonValue& flag : {QJsonValue(QStringLiteral("true")), QJsonValue(1), QJsonValue(QJsonObject{}),
                                   QJsonValue(QJsonValue::Null)}) {
        store().setValue(QStringLiteral("shortcutSlimMigrated_v1"), flag);
        setShortcut(chosenAgain, Name::delayedCapture());
        ShortcutSlimMigration::runIfNeeded();
        EXPECT_EQ(getShortcut(Name::delayedCapture()), chosenAgain) << flag.toVariant().toString().toStdString();
        EXPECT_EQ(store().value(QStringLiteral("shortcutSlimMigrated_v1")), flag);  // left as written
    }
    store().setValue(QStringLiteral("shortcutSlimMigrated_v1"), true);
}

// Another copy of the program (another session) stores or clears a shortcut:
// this copy's hot key moves with it and its menus and recorders hear of it.
TEST_F(ShortcutStorage, shortcutChangedByAnotherCopy_MovesTheHotKey_AndIsAnnounced)
{
    followOtherCopies();
    const Name name(uniqueName("otherCopy"), kControlShiftT);
    onKeyDown(name, &context, [] {});
    int announced = 0;
    platform::NotificationCenter::shared().observe(shortcutByNameDidChange, &context, [&](const QVariantMap& info) {
        if (info.value(QStringLiteral("name")).toString() == name.rawValue()) ++announced;
    });
    // What another copy's write looks like here: the store takes in the file.
    store().setValue(name.storageKey(), QString::fromUtf8(kControlAltP.toJson()));
    EXPECT_EQ(hotKeys.held(kControlAltP.combination()), 1);
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);
    store().setValue(name.storageKey(), false);
    EXPECT_EQ(hotKeys.held(kControlAltP.combination()), 0);
    EXPECT_EQ(announced, 2);
    setShortcut(kControlShiftT, name);  // a change made here is announced once
    EXPECT_EQ(announced, 3);
}

TEST_F(ShortcutStorage, boundMenuItem_ShowsTheNamesKeyText_AndFollowsItsChanges)
{
    const Name name(uniqueName("menu"), kControlShiftT);
    const Name other(uniqueName("menuOther"));
    QAction item(QStringLiteral("截图翻译"));
    setShortcut(&item, name);
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    setShortcut(kCommandOptionK, name);
    EXPECT_EQ(item.shortcut(), QKeySequence(Qt::META | Qt::ALT | Qt::Key_K));

    // Rebinding follows only the new name (which has none); unbinding follows none.
    setShortcut(&item, other);
    EXPECT_TRUE(item.shortcut().isEmpty());
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
        QStringLiteral("{\"carbonKeyCode\":17.5,\"carbonModifiers\":4608}"),
        QStringLiteral("{\"carbonKeyCode\":1e300,\"carbonModifiers\":4608}"),
        QStringLiteral("{\"carbonKeyCode\":17}"),                          // no modifiers
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
        const Name nextLaunch(raw, kControlShiftT);  // repaired: nothing more to say
        EXPECT_TRUE(takeResetNames().isEmpty());
        removeHandler(name);  // the next one gets the combination to itself
    }

    // Without a default the damaged entry goes; a cleared name stays cleared.
    const QString noDefault = uniqueName("damagedNoDefault");
    store().setValue(storageKeyFor(noDefault), QStringLiteral("garbage"));
    const Name withoutDefault(noDefault);
    EXPECT_FALSE(store().contains(withoutDefault.storageKey()));
    const QString cleared = uniqueName("cleared");
    store().setValue(storageKeyFor(cleared), false);
    EXPECT_FALSE(getShortcut(Name(cleared, kControlShiftT)));
    EXPECT_EQ(takeResetNames(), QStringList{noDefault});
}

TEST_F(ShortcutStorage, shortcutWithoutControlAltOrSuper_IsNeverGrabbed_ExceptFunctionKeys)
{
    const std::pair<Shortcut, Registration::State> cases[] = {
        {Shortcut(Key::return_, {}), Registration::State::noModifier},
        {Shortcut(Key::a, Qt::ShiftModifier), Registration::State::noModifier},
        {Shortcut(Key::f20, Qt::ShiftModifier), Registration::State::registered},
        {Shortcut(Key::return_, Qt::AltModifier), Registration::State::registered},
        {Shortcut(Key::a, Qt::MetaModifier), Registration::State::registered}};
    for (const auto& [shortcut, state] : cases) {
        const Registration result = onKeyDown(Name(uniqueName("plain"), shortcut), &context, [] {});
        EXPECT_EQ(result.state, state) << shortcut.description().toStdString();
        EXPECT_EQ(result.message.isEmpty(), !result.failed());
        EXPECT_EQ(hotKeys.held(shortcut.combination()), result.failed() ? 0 : 1);
    }
}

// What X is asked to grab for a shortcut as recorded: Alt is Mod1 and Super
// Mod4, whatever else is held with them.
TEST(ShortcutModel, modifiersAsRecorded_AreGrabbedOnX_AltAsMod1_AndSuperAsMod4)
{
    const std::pair<Qt::KeyboardModifiers, quint16> cases[] = {
        {Qt::AltModifier, XCB_MOD_MASK_1},
        {Qt::MetaModifier, XCB_MOD_MASK_4},
        {kControlShift, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT},
        {Qt::ControlModifier | Qt::AltModifier, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1},
        {Qt::MetaModifier | Qt::AltModifier | kControlShift,
         XCB_MOD_MASK_4 | XCB_MOD_MASK_1 | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT}};
    for (const auto& [modifiers, mask] : cases) {
        const Shortcut shortcut(Key::k, modifiers);
        EXPECT_EQ(platform::X11HotKeyService::modifierMask(shortcut.carbonModifiers), mask)
            << shortcut.description().toStdString();
    }
}

TEST_F(ShortcutStorage, keyUpFollowsKeyDown_RemovedHandlersAreSilent_AndLetTheKeyGoUnlessAStreamListens)
{
    const Name name(uniqueName("handlers"), kControlShiftT);
    QStringList runs;
    onKeyDown(name, &context, [&] { runs << "down"; });
    onKeyUp(name, &context, [&] { runs << "up"; });
    pressAndRelease(kControlShiftT);
    EXPECT_EQ(runs, (QStringList{"down", "up"}));

    removeHandler(name);
    pressAndRelease(kControlShiftT);
    EXPECT_EQ(runs.size(), 2);
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);

    // A stream keeps the key through removeHandler, and lets it go when it ends.
    onKeyDown(name, &context, [&] { runs << "down"; });
    auto* stream = events(name, &context);
    Events streamed;
    QObject::connect(stream, &ShortcutEvents::event, &context, [&](EventType type) { streamed << type; });
    removeHandler(name);
    pressAndRelease(kControlShiftT);
    EXPECT_EQ(runs.size(), 2);
    EXPECT_EQ(streamed, (Events{EventType::keyDown, EventType::keyUp}));
    delete stream;
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);

    const Name other(uniqueName("handlersOther"), kControlAltP);
    onKeyDown(name, &context, [&] { runs << "down"; });
    onKeyUp(other, &context, [&] { runs << "other up"; });
    removeAllHandlers();
    pressAndRelease(kControlShiftT);
    pressAndRelease(kControlAltP);
    EXPECT_EQ(runs.size(), 2);
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()) + hotKeys.held(kControlAltP.combination()), 0);
}

TEST_F(ShortcutStorage, eventStreams_EmitDownThenUp_FilteredOnesTheirTypeOnly_FromTheMomentAShortcutIsStored)
{
    const Name name(uniqueName("streams"));
    Events all;
    int ups = 0;
    Events modified;
    int modifiedDowns = 0;
    QObject::connect(events(name, &context), &ShortcutEvents::event, &context, [&](EventType t) { all << t; });
    QObject::connect(events(EventType::keyUp, name, &context), &ShortcutEvents::event, &context,
                     [&](EventType) { ++ups; });
    auto* owner = new QObject;
    onKeyboardShortcut(owner, name, [&](EventType t) { modified << t; });
    onGlobalKeyboardShortcut(owner, name, EventType::keyDown, [&] { ++modifiedDowns; });

    setShortcut(kControlAltP, name);
    pressAndRelease(kControlAltP);
    EXPECT_EQ(all, (Events{EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(modified, all);
    EXPECT_EQ(modifiedDowns, 1);

    delete owner;
    pressAndRelease(kControlAltP);
    EXPECT_EQ(modified.size(), 2);
    EXPECT_EQ(all.size(), 4);
}

TEST_F(ShortcutStorage, resetAll_GivesEveryStoredNameItsDefault_OrRemovesIt_AndAllNamesListsThem)
{
    const Name changed(uniqueName("resetChanged"), kControlShiftT);
    const Name cleared(uniqueName("resetCleared"), kControlShiftT);
    const Name noDefault(uniqueName("resetNoDefault"));
    setShortcut(kControlAltP, changed);
    setShortcut(std::nullopt, cleared);
    setShortcut(kControlAltP, noDefault);

    QStringList listed;
    for (const Name& name : allNames()) listed << name.rawValue();
    for (const Name& name : {changed, cleared, noDefault}) EXPECT_TRUE(listed.contains(name.rawValue()));
    for (const QString& raw : listed) EXPECT_TRUE(platform::SettingsStore::shared().contains(storageKeyFor(raw)));

    resetAll();
    EXPECT_EQ(getShortcut(changed), kControlShiftT);
    EXPECT_EQ(getShortcut(cleared), kControlShiftT);
    EXPECT_FALSE(platform::SettingsStore::shared().contains(noDefault.storageKey()));
}

TEST_F(ShortcutStorage, boundActionsAndButtons_HaveTheNamesKeys_ExceptWhileARecorderRecordsOrTheHotKeyIsRefused)
{
    const Name name(uniqueName("bound"), kControlShiftT);
    QAction action;
    QPushButton button;
    globalKeyboardShortcut(&action, name);
    globalKeyboardShortcut(&button, name);
    EXPECT_EQ(action.shortcut(), kControlShiftT.keySequence());
    EXPECT_EQ(button.shortcut(), kControlShiftT.keySequence());

    auto& center = platform::NotificationCenter::shared();
    center.post(recorderActiveStatusDidChange, {{QStringLiteral("isActive"), true}});
    EXPECT_TRUE(action.shortcut().isEmpty());
    center.post(recorderActiveStatusDidChange, {{QStringLiteral("isActive"), false}});
    setShortcut(kControlAltP, name);
    EXPECT_EQ(action.shortcut(), kControlAltP.keySequence());

    // A plain Return is never grabbed, and so never taken from our dialogs either.
    setShortcut(Shortcut(Key::return_, {}), name);
    onKeyDown(name, &context, [] {});
    EXPECT_TRUE(action.shortcut().isEmpty());
    EXPECT_TRUE(button.shortcut().isEmpty());
}
