// Hot keys on a real X server (the headless desktop): key presses from
// xdotool, grabs held by another X client, the recorder's release of the keys.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/HotKeyRegistry.h"
#include "GlobalShortcuts/RecorderControl.h"
#include "GlobalShortcuts/ShortcutEvents.h"

#include "platform/RegionPicker.h"
#include "platform/RegionPickerWindow.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "platform/hotkeys/HotKeyService.h"
#include "support/DesktopDriver.h"
#include "support/OtherXClient.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <xcb/xcb.h>

#include <string_view>

using namespace klipo;
using namespace klipo::GlobalShortcuts;
using test::pressKeys;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
constexpr quint16 kXControlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
constexpr int kWaitMs = 3000;

struct X11HotKeys : ::testing::Test {
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    }

    QObject context;
};

}  // namespace

TEST_F(X11HotKeys, controlShiftT_RunsCaptureTranslateOncePerPress_WithLocksOn_WhenHeld_AndWithOurMenuOpen)
{
    int runs = 0;
    const Registration registration = onKeyDown(Name::captureTranslate(), &context, [&] { ++runs; });
    ASSERT_EQ(registration.state, Registration::State::registered) << registration.message.toStdString();
    const auto pressAndSeeItRun = [&](const char* when) {
        const int expected = runs + 1;
        ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+t")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return runs == expected; }, kWaitMs)) << when;
    };
    // Num Lock on, both on, Caps Lock on, both off again.
    for (const char* lock : {"", "Num_Lock", "Caps_Lock", "Num_Lock", "Caps_Lock"}) {
        ASSERT_TRUE(!*lock || pressKeys(QLatin1String(lock)));
        pressAndSeeItRun(lock);
    }
    ASSERT_TRUE(test::xdotool({"keydown", "ctrl+shift+t"}));
    QTest::qWait(1500);
    ASSERT_TRUE(test::xdotool({"keyup", "t"}));
    ASSERT_TRUE(test::xdotool({"keyup", "ctrl+shift"}));
    QTest::qWait(200);
    EXPECT_EQ(runs, 6) << "held down: once";

    QMenu menu;
    menu.addAction(QStringLiteral("截图翻译"));
    menu.popup(QPoint(200, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    QTest::qWait(200);  // the menu takes the keyboard once it shows
    pressAndSeeItRun("menu open");
}

TEST_F(X11HotKeys, combinationGrabbedByAnotherClient_IsReportedAsTaken)
{
    test::OtherXClient other;
    ASSERT_TRUE(other.grab(Key::y, kXControlShift));
    const Shortcut controlShiftY(Key::y, kControlShift);
    const Name name(QStringLiteral("x11TakenTest"), controlShiftY);
    const Registration registration = onKeyDown(name, &context, [] {});
    EXPECT_EQ(registration.state, Registration::State::taken);
    EXPECT_FALSE(registration.message.isEmpty());
    EXPECT_EQ(platform::hotKeyService().probe(controlShiftY.combination()).status,
              platform::HotKeyOutcome::Status::taken);

    other.ungrab(Key::y, kXControlShift);
    EXPECT_TRUE(platform::hotKeyService().probe(controlShiftY.combination()).isRegistered());
    setShortcut(controlShiftY, name);
    EXPECT_EQ(GlobalShortcuts::registration(name).state, Registration::State::registered);
    // Ours now: the other client is refused.
    EXPECT_FALSE(other.grab(Key::y, kXControlShift));

    // A stored plain Return is refused and never grabbed: other programs keep the key.
    const Registration plain = onKeyDown(Name(QStringLiteral("x11PlainReturnTest"), Shortcut(Key::return_, {})), &context, [] {});
    EXPECT_EQ(plain.state, Registration::State::noModifier);
    EXPECT_TRUE(other.grab(Key::return_, 0));
}

// A press runs one of them (the name wired first); the other takes over when
// the first one changes.
TEST_F(X11HotKeys, twoNamesSharingACombination_OneKeepsWorking_WhenTheOtherChanges)
{
    const Shortcut controlShiftU(Key::u, kControlShift);
    const Name first(QStringLiteral("x11SharedA"), controlShiftU);
    const Name second(QStringLiteral("x11SharedB"), controlShiftU);
    int firstRuns = 0;
    int secondRuns = 0;
    onKeyDown(first, &context, [&] { ++firstRuns; });
    onKeyDown(second, &context, [&] { ++secondRuns; });
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+u")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstRuns == 1; }, kWaitMs));
    QTest::qWait(200);
    EXPECT_EQ(secondRuns, 0) << "both names ran";

    setShortcut(Shortcut(Key::i, kControlShift), first);
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+u")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondRuns == 1; }, kWaitMs));
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+i")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstRuns == 2; }, kWaitMs));
}

TEST_F(X11HotKeys, whileTheRecorderRecords_TheHotKeyIsReleased_AndItTakesARealKeyPress)
{
    int runs = 0;
    onKeyDown(Name::captureTranslate(), &context, [&] { ++runs; });
    const Name recorded(QStringLiteral("x11Recorded"));
    QWidget window;
    auto* recorder = new RecorderControl(recorded, {}, &window);
    recorder->setAlertPresenter([](QWidget*, const RecorderControl::Alert&) { return 0; });
    (new QVBoxLayout(&window))->addWidget(recorder);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(recorder, Qt::LeftButton);
    ASSERT_TRUE(recorder->isRecording());

    {
        test::OtherXClient other;  // released: another client can take it, and a press reaches the recorder
        EXPECT_TRUE(other.grab(Key::t, kXControlShift));
        other.ungrab(Key::t, kXControlShift);
    }
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+alt+k")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder->isRecording(); }, kWaitMs));
    EXPECT_EQ(getShortcut(recorded), Shortcut(Key::k, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_EQ(runs, 0);

    // Recording ended: the hot key is ours again.
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+t")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, kWaitMs));
}

TEST_F(X11HotKeys, whileARegionPickIsOpen_OurHotKeysStayQuiet_AndComeBackAfter)
{
    int runs = 0;
    onKeyDown(Name::captureFullScreenTranslate(), &context, [&] { ++runs; });
    QList<platform::FrozenScreen> frozen;
    for (QScreen* screen : QGuiApplication::screens()) {
        QImage picture(screen->geometry().size() * screen->devicePixelRatio(), QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        frozen.append({screen, int(frozen.size()) + 1, picture});
    }
    auto* picker = new platform::RegionPicker(frozen);
    bool ended = false;
    picker->start([&](platform::CaptureOutcome) { ended = true; });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(picker->windows().at(0)));
    QTest::qWait(200);  // the picker takes the keyboard once it shows
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+f")));
    QTest::qWait(300);
    EXPECT_EQ(runs, 0);
    ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, kWaitMs));

    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+f")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, kWaitMs));
}

TEST_F(X11HotKeys, keyUp_FollowsItsKeyDownOnly_OnceWhenHeld_AlsoWithTheModifiersLetGoFirst)
{
    const Name name(QStringLiteral("x11KeyUp"), Shortcut(Key::j, kControlShift));
    QList<EventType> seen;
    QObject::connect(events(name, &context), &ShortcutEvents::event, &context, [&](EventType t) { seen << t; });
    // Held long enough for the keyboard to repeat it; let go key first or modifiers first.
    for (const auto& [first, second] : {std::pair{"j", "ctrl+shift"}, std::pair{"ctrl+shift", "j"}}) {
        seen.clear();
        ASSERT_TRUE(test::xdotool({"keydown", "ctrl+shift+j"}));
        QTest::qWait(1500);
        // The repeats' releases are no key-up: it comes with the real one.
        EXPECT_EQ(seen, (QList<EventType>{EventType::keyDown})) << first;
        ASSERT_TRUE(test::xdotool({"keyup", first}));
        if (std::string_view(first) == "ctrl+shift") {
            // The key goes on repeating without its modifiers: still no key-up.
            QTest::qWait(800);
            EXPECT_EQ(seen, (QList<EventType>{EventType::keyDown})) << "modifiers let go, key held";
        }
        ASSERT_TRUE(test::xdotool({"keyup", second}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, kWaitMs));
        QTest::qWait(200);
        EXPECT_EQ(seen, (QList<EventType>{EventType::keyDown, EventType::keyUp})) << first;
    }

    // Pressed while the keys were let go, released into a window of ours: no key-up.
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    seen.clear();
    setPaused(true);
    ASSERT_TRUE(test::xdotool({"keydown", "ctrl+shift+j"}));
    QTest::qWait(100);
    setPaused(false);
    ASSERT_TRUE(test::xdotool({"keyup", "j"}) && test::xdotool({"keyup", "ctrl+shift"}));
    QTest::qWait(300);
    EXPECT_TRUE(seen.isEmpty());
}

TEST_F(X11HotKeys, switchingHotKeysOff_LetsAnotherClientTakeThem_AndOnTakesThemBack)
{
    const Name name(QStringLiteral("x11Switch"), Shortcut(Key::o, kControlShift));
    int runs = 0;
    onKeyDown(name, &context, [&] { ++runs; });
    test::OtherXClient other;
    ASSERT_FALSE(other.grab(Key::o, kXControlShift));

    const auto letGoAndTakeBack = [&](const auto& turn) {
        turn(false);
        EXPECT_FALSE(isEnabled(name));
        EXPECT_TRUE(other.grab(Key::o, kXControlShift)) << "let go on the display";
        other.ungrab(Key::o, kXControlShift);
        turn(true);
        EXPECT_TRUE(isEnabled(name));
        EXPECT_FALSE(other.grab(Key::o, kXControlShift)) << "taken back";
    };
    letGoAndTakeBack([](bool on) { setEnabled(on); });
    letGoAndTakeBack([&](bool on) { on ? enable({name}) : disable({name}); });
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+o")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, kWaitMs));

    // Disabled, a new shortcut for the name takes its hot key up again.
    disable({name});
    setShortcut(Shortcut(Key::o, Qt::ControlModifier | Qt::AltModifier), name);
    EXPECT_TRUE(isEnabled(name));
}

TEST_F(X11HotKeys, aCombinationAnotherClientLetsGo_IsTakenUpAtTheNextKeyboardChange)
{
    test::OtherXClient other;
    ASSERT_TRUE(other.grab(Key::n, kXControlShift));
    const Name name(QStringLiteral("x11Remap"), Shortcut(Key::n, kControlShift));
    int runs = 0;
    ASSERT_EQ(onKeyDown(name, &context, [&] { ++runs; }).state, Registration::State::taken);
    other.ungrab(Key::n, kXControlShift);
    // The same layout again: the server still announces a new keymap.
    QString layout = QStringLiteral("us");
    for (const QString& line : QString::fromUtf8(test::programOutput("setxkbmap", {"-query"})).split('\n'))
        if (line.startsWith(QStringLiteral("layout:"))) layout = line.section(':', 1).trimmed();
    QElapsedTimer sinceChange;
    sinceChange.start();
    ASSERT_EQ(QProcess::execute(QStringLiteral("setxkbmap"), {layout}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return registration(name).state == Registration::State::registered; }, kWaitMs));
    EXPECT_LT(sinceChange.elapsed(), HotKeyRegistry::kRetryIntervalMs * 3 / 4) << "before the next timed try";
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+n")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, kWaitMs));
}

// The keys of PC keyboards: Control-Pause (the server's Break) is recorded as
// Pause, not as the keypad's 0, and runs by a press of it while Control and
// keypad 0 does not; Print Screen alone is recorded (openbox holds it here,
// as desktops do for their screenshot tool: kept with "仍然使用").
TEST_F(X11HotKeys, controlPauseAndPrintScreen_AreRecordedAsThemselves_AndRunByTheirOwnKeys)
{
    const Name pauseName(QStringLiteral("x11Pause"));
    const Name printName(QStringLiteral("x11Print"));
    int pauseRuns = 0;
    onKeyDown(pauseName, &context, [&] { ++pauseRuns; });
    onKeyDown(printName, &context, [] {});
    QWidget window;
    auto* pauseField = new RecorderControl(pauseName, {}, &window);
    auto* printField = new RecorderControl(printName, {}, &window);
    for (RecorderControl* field : {pauseField, printField})
        field->setAlertPresenter([](QWidget*, const RecorderControl::Alert&) { return 1; });
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(pauseField);
    layout->addWidget(printField);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const auto record = [](RecorderControl* field, const QString& keys) {
        QTest::mouseClick(field, Qt::LeftButton);
        ASSERT_TRUE(field->isRecording());
        ASSERT_TRUE(pressKeys(keys));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !field->isRecording(); }, kWaitMs)) << qPrintable(keys);
    };
    ASSERT_NO_FATAL_FAILURE(record(pauseField, QStringLiteral("ctrl+Pause")));
    ASSERT_NO_FATAL_FAILURE(record(printField, QStringLiteral("Print")));
    EXPECT_EQ(getShortcut(pauseName), Shortcut(Key::pause, Qt::ControlModifier));
    EXPECT_EQ(getShortcut(printName), Shortcut(Key::printScreen, Qt::NoModifier));
    EXPECT_EQ(printField->text(), QStringLiteral("Print"));
    EXPECT_EQ(registration(pauseName).state, Registration::State::registered);

    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+KP_Insert ctrl+KP_0")));
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+Pause")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pauseRuns == 1; }, kWaitMs));
    QTest::qWait(200);
    EXPECT_EQ(pauseRuns, 1) << "keypad 0 ran the Pause shortcut";
    setShortcut(std::nullopt, pauseName);
    setShortcut(std::nullopt, printName);
}
