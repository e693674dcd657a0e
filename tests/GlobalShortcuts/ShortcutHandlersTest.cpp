// What can be attached to a name: key-down and key-up actions, event streams
// and the bindings of actions and buttons; resetting every stored name; a
// refused hot key tried again; the labelled recorder row.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/Recorder.h"
#include "GlobalShortcuts/ShortcutEvents.h"
#include "GlobalShortcuts/ShortcutStorage.h"
#include "GlobalShortcuts/ViewModifiers.h"
#include "Fakes.h"

#include "platform/NotificationCenter.h"
#include "platform/SettingsStore.h"
#include "platform/hotkeys/HotKeyPlatform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

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
    onKeyDown(name, &context, [&] { runs << QStringLiteral("down"); });
    onKeyUp(name, &context, [&] { runs << QStringLiteral("up"); });
    pressAndRelease(kControlShiftT);
    EXPECT_EQ(runs, (QStringList{QStringLiteral("down"), QStringLiteral("up")}));

    removeHandler(name);
    pressAndRelease(kControlShiftT);
    EXPECT_EQ(runs.size(), 2);
    EXPECT_EQ(hotKeys.held(kControlShiftT.combination()), 0);
    EXPECT_EQ(registration(name).state, Registration::State::inactive);

    // A stream keeps the key through removeHandler, and lets it go when it ends.
    onKeyDown(name, &context, [&] { runs << QStringLiteral("down"); });
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
    onKeyDown(name, &context, [&] { runs << QStringLiteral("down"); });
    onKeyUp(other, &context, [&] { runs << QStringLiteral("other up"); });
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
    EXPECT_EQ(hotKeys.held(kControlAltP.combination()), 0) << "nothing stored: nothing to hold";

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

TEST_F(Handlers, aCombinationAnotherProgramHolds_IsTakenUpOnceFree_TheMenuItemHavingNoKeysMeanwhile)
{
    hotKeys.takenByOthers.push_back(kControlAltP.combination());
    const Name name(uniqueName("retried"), kControlAltP);
    int runs = 0;
    QAction item(QStringLiteral("截图翻译"));
    setShortcut(&item, name);
    EXPECT_EQ(item.shortcut(), kControlAltP.keySequence()) << "no action yet: nothing refused";
    EXPECT_EQ(onKeyDown(name, &context, [&] { ++runs; }).state, Registration::State::taken);
    EXPECT_TRUE(item.shortcut().isEmpty()) << "a refused shortcut takes no keys in our windows";
    EXPECT_TRUE(localKeySequence(name).isEmpty());
    EXPECT_FALSE(isEnabled(name));
    item.setText(QStringLiteral("截图并翻译"));  // renamed meanwhile: still marked
    EXPECT_TRUE(item.text().startsWith(QStringLiteral("截图并翻译\t")));

    hotKeys.changeKeyboard();  // still held by the other program
    EXPECT_EQ(registration(name).state, Registration::State::taken);
    hotKeys.takenByOthers.clear();
    hotKeys.changeKeyboard();
    EXPECT_EQ(registration(name).state, Registration::State::registered);
    EXPECT_EQ(item.shortcut(), kControlAltP.keySequence());
    EXPECT_EQ(item.text(), QStringLiteral("截图并翻译"));
    pressAndRelease(kControlAltP);
    EXPECT_EQ(runs, 1);
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

TEST_F(Handlers, recorderRow_ShowsItsTitleAsGiven_OrTheRecorderAlone_AndARetargetKeepsItsCallback)
{
    const Name first(uniqueName("rowFirst"), kControlShiftT);
    const Name second(uniqueName("rowSecond"), kControlAltP);
    QList<std::optional<Shortcut>> reported;
    Recorder row(QStringLiteral("<b>截图翻译：</b>"), first, [&](const std::optional<Shortcut>& s) { reported << s; });
    ASSERT_TRUE(row.hasLabel());
    EXPECT_EQ(row.titleLabel()->textFormat(), Qt::PlainText);
    const Recorder bare(first);
    EXPECT_FALSE(bare.hasLabel());

    row.setName(second);
    EXPECT_EQ(row.recorder()->text(), kControlAltP.description());
    row.recorder()->findChild<QToolButton*>()->click();  // the clear button
    EXPECT_FALSE(getShortcut(second));
    EXPECT_EQ(getShortcut(first), kControlShiftT);
    EXPECT_EQ(reported, (QList<std::optional<Shortcut>>{std::nullopt}));
}
