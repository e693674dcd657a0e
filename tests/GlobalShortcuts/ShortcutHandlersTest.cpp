// What can be attached to a name (actions, event streams, bound actions and
// buttons), and resetAll.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/ShortcutEvents.h"
#include "GlobalShortcuts/ShortcutStorage.h"
#include "GlobalShortcuts/ViewModifiers.h"
#include "Fakes.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "platform/hotkeys/HotKeyPlatform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Shortcut kControlShiftT(Key::t, kControlShift);
const Shortcut kControlAltP(Key::p, Qt::ControlModifier | Qt::AltModifier);
using Events = QList<EventType>;

QString uniqueName(const char* base)
{
    static int counter = 0;
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(++counter);
}

struct Handlers : ::testing::Test {
    void pressAndRelease(const Shortcut& shortcut)
    {
        hotKeys.press(shortcut.combination());
        hotKeys.release(shortcut.combination());
    }

    test::FakeHotKeyService hotKeys;
    platform::ScopedHotKeyPlatform scope{&hotKeys, nullptr};
    QObject context;  // actions, streams and observers live while it does; goes first
};

}  // namespace

TEST_F(Handlers, keyUpFollowsKeyDown_RemovedHandlersAreSilent_AndLetTheKeyGoUnlessAStreamListens)
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

TEST_F(Handlers, eventStreams_EmitDownThenUp_FilteredOnesTheirTypeOnly_FromTheMomentAShortcutIsStored)
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

    // Paused (a recorder records): nothing is delivered.
    setPaused(true);
    pressAndRelease(kControlAltP);
    setPaused(false);
    EXPECT_EQ(all.size(), 2);

    delete owner;
    pressAndRelease(kControlAltP);
    EXPECT_EQ(modified.size(), 2);
    EXPECT_EQ(all.size(), 4);
}

TEST_F(Handlers, resetAll_GivesEveryStoredNameItsDefault_OrRemovesIt_AndAllNamesListsThem)
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

TEST_F(Handlers, boundActionsAndButtons_HaveTheNamesKeys_ExceptWhileARecorderRecordsOrTheHotKeyIsRefused)
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
