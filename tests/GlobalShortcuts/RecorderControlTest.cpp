// The recorder: what it takes, what it refuses, its warnings, and its pause
// of the program's hot keys.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/RecorderControl.h"
#include "Fakes.h"

#include "platform/NotificationCenter.h"
#include "platform/hotkeys/HotKeyPlatform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Shortcut kControlShiftT(Key::t, kControlShift);

QString uniqueName()
{
    static int counter = 0;
    return QStringLiteral("recorderTest_%1").arg(++counter);
}

class Recorder : public ::testing::Test {
protected:
    Recorder() : name(uniqueName(), kControlShiftT)
    {
        auto* layout = new QVBoxLayout(&window);
        recorder = new RecorderControl(name, [this](const std::optional<Shortcut>& s) { reported.append(s); }, &window);
        other = new QPushButton(QStringLiteral("其他"), &window);
        layout->addWidget(recorder);
        layout->addWidget(other);
        recorder->setAlertPresenter([this](QWidget*, const RecorderControl::Alert& alert) {
            alerts.append(alert);
            return alertAnswer;
        });
        platform::NotificationCenter::shared().observe(
            recorderActiveStatusDidChange, &window,
            [this](const QVariantMap& info) { activity.append(info.value(QStringLiteral("isActive")).toBool()); });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~Recorder() override { setApplicationMenu(nullptr); }

    void startRecording()
    {
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(recorder->isRecording());
    }

    test::FakeHotKeyService hotKeys;
    platform::ScopedHotKeyPlatform scope{&hotKeys, nullptr};
    // Declared before the window: the recorder still reports while the window goes.
    QList<std::optional<Shortcut>> reported;
    QList<RecorderControl::Alert> alerts;
    QList<bool> activity;
    int alertAnswer = 0;
    Name name;
    QWidget window;
    RecorderControl* recorder = nullptr;
    QPushButton* other = nullptr;
};

}  // namespace

TEST_F(Recorder, recording_PausesTheHotKeys_UntilEscapeAFartherClickOrItsEnd_KeepingTheOldShortcut)
{
    const Name another(uniqueName(), Shortcut(Key::g, kControlShift));
    QObject context;
    int runs = 0;
    onKeyDown(another, &context, [&] { ++runs; });

    startRecording();
    EXPECT_TRUE(isPaused());
    EXPECT_TRUE(hotKeys.isSuspended());
    hotKeys.press(Shortcut(Key::g, kControlShift).combination());
    EXPECT_EQ(runs, 0);
    QTest::keyClick(recorder, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(hotKeys.isSuspended());
    EXPECT_EQ(getShortcut(name), kControlShiftT);
    EXPECT_EQ(activity, (QList<bool>{true, false}));
    hotKeys.press(Shortcut(Key::g, kControlShift).combination());
    EXPECT_EQ(runs, 1);

    // A click just outside the field keeps recording; a farther one ends it.
    startRecording();
    QTest::mouseRelease(&window, Qt::LeftButton, {}, recorder->mapTo(&window, QPoint(5, recorder->height() + 2)));
    EXPECT_TRUE(recorder->isRecording());
    QTest::mouseRelease(&window, Qt::LeftButton, {}, recorder->mapTo(&window, QPoint(5, recorder->height() + 8)));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(isPaused());

    startRecording();
    delete recorder;
    EXPECT_FALSE(isPaused());
    EXPECT_FALSE(hotKeys.isSuspended());
}

TEST_F(Recorder, keysAloneOrWithShiftOnly_AreRefused_ButFunctionKeysAreTaken)
{
    startRecording();
    QTest::keyClick(recorder, Qt::Key_A);
    QTest::keyClick(recorder, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(recorder, Qt::Key_Backtab, Qt::ShiftModifier);  // Shift+Tab is not plain Tab
    QTest::keyClick(recorder, Qt::Key_Control, Qt::ControlModifier);  // a modifier alone waits
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_EQ(getShortcut(name), kControlShiftT);

    QTest::keyClick(recorder, Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(getShortcut(name), Shortcut(Key::f5, Qt::ShiftModifier));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->text(), QStringLiteral("⇧F5"));

    startRecording();
    QTest::keyClick(recorder, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(getShortcut(name), Shortcut(Key::a, Qt::ControlModifier));
    EXPECT_EQ(reported, (QList<std::optional<Shortcut>>{Shortcut(Key::f5, Qt::ShiftModifier),
                                                         Shortcut(Key::a, Qt::ControlModifier)}));
    EXPECT_TRUE(hotKeys.registrations(Shortcut(Key::a, Qt::ControlModifier).combination()) == 0);
}

TEST_F(Recorder, deleteOrTheClearButton_ClearTheShortcutAndGoOnRecording_TabEndsIt)
{
    recorder->findChild<QToolButton*>()->click();
    EXPECT_FALSE(getShortcut(name));
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(reported, (QList<std::optional<Shortcut>>{std::nullopt}));
    QTest::keyClick(recorder, Qt::Key_Delete);  // already empty: nothing to report
    EXPECT_EQ(reported.size(), 1);

    setShortcut(kControlShiftT, name);
    QTest::keyClick(recorder, Qt::Key_Backspace);
    EXPECT_FALSE(getShortcut(name));
    EXPECT_TRUE(recorder->text().isEmpty());
    EXPECT_TRUE(recorder->isRecording());

    QTest::keyClick(recorder, Qt::Key_Tab);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(other->hasFocus());
    EXPECT_FALSE(isPaused());
}

TEST_F(Recorder, combinationOfAMenuItem_EvenInASubmenu_IsWarnedAbout_UnlessTheItemIsTheNamesOwn)
{
    QMenu menu;
    QAction* quit = menu.addMenu(QStringLiteral("更多"))->addAction(QStringLiteral("退&出"));
    quit->setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
    setShortcut(menu.addAction(QStringLiteral("截图翻译")), name);
    setApplicationMenu(&menu);
    startRecording();
    QTest::keyClick(recorder, Qt::Key_Q, Qt::MetaModifier);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].title, QStringLiteral("此快捷键已被菜单项「退出」使用。"));
    EXPECT_EQ(getShortcut(name), kControlShiftT);
    EXPECT_TRUE(recorder->isRecording());  // focus taken back after the alert
    EXPECT_TRUE(isPaused());

    QTest::keyClick(recorder, Qt::Key_T, kControlShift);
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(reported, (QList<std::optional<Shortcut>>{kControlShiftT}));
}

TEST_F(Recorder, combinationHeldByAnotherProgram_IsStoredOnlyWhenTheUserInsists)
{
    const Shortcut taken(Key::p, Qt::ControlModifier | Qt::AltModifier);
    hotKeys.takenByOthers.push_back(taken.combination());
    startRecording();
    QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].buttons.size(), 2);  // "好" or "仍然使用"
    EXPECT_EQ(getShortcut(name), kControlShiftT);
    EXPECT_TRUE(recorder->isRecording());

    alertAnswer = 1;
    QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(getShortcut(name), taken);
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(Recorder, showsTheStoredShortcut_AndFocusReturningWithItsWindowStartsNoRecording)
{
    EXPECT_EQ(recorder->text(), QStringLiteral("⌃⇧T"));
    setShortcut(Shortcut(Key::k, Qt::MetaModifier), name);
    EXPECT_EQ(recorder->text(), QStringLiteral("⌘K"));  // changed elsewhere

    other->setFocus();
    recorder->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_TRUE(recorder->hasFocus());
    EXPECT_FALSE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_A, Qt::ControlModifier);  // no typing, no recording
    EXPECT_EQ(getShortcut(name), Shortcut(Key::k, Qt::MetaModifier));
    QTest::mouseClick(recorder, Qt::LeftButton);
    EXPECT_TRUE(recorder->isRecording());
}
