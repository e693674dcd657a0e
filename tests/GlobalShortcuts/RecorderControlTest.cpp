// The recorder: what it takes, what it refuses, its warnings, and its pause
// of the program's hot keys.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/RecorderControl.h"
#include "Fakes.h"

#include "platform/hotkeys/HotKeyPlatform.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUuid>
#include <QVBoxLayout>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;
const Shortcut kControlShiftT(Key::t, kControlShift);
using Reports = QList<std::optional<Shortcut>>;

struct Recorder : ::testing::Test {
    Recorder() : name(QStringLiteral("recorder_") + QUuid::createUuid().toString(QUuid::Id128), kControlShiftT)
    {
        recorder = new RecorderControl(name, [this](const std::optional<Shortcut>& s) { reported.append(s); }, &window);
        other = new QPushButton(QStringLiteral("其他"), &window);
        (new QVBoxLayout(&window))->addWidget(recorder);
        window.layout()->addWidget(other);
        recorder->setAlertPresenter([this](QWidget*, const RecorderControl::Alert& alert) {
            alerts.append(alert);
            return alertAnswer;
        });
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
    Reports reported;
    QList<RecorderControl::Alert> alerts;
    int alertAnswer = 0;
    Name name;
    QWidget window;
    RecorderControl* recorder = nullptr;
    QPushButton* other = nullptr;
};

}  // namespace

TEST_F(Recorder, recording_PausesTheHotKeys_UntilEscapeAFartherClickOrItsEnd_KeepingTheOldShortcut)
{
    const Shortcut controlShiftG(Key::g, kControlShift);
    QObject context;
    int runs = 0;
    onKeyDown(Name(name.rawValue() + QStringLiteral("_g"), controlShiftG), &context, [&] { ++runs; });

    startRecording();
    hotKeys.press(controlShiftG.combination());
    EXPECT_EQ(runs, 0);
    QTest::keyClick(recorder, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(getShortcut(name), kControlShiftT);
    hotKeys.press(controlShiftG.combination());
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
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->text(), QStringLiteral("Shift+F5"));
    startRecording();
    QTest::keyClick(recorder, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(getShortcut(name), Shortcut(Key::a, Qt::ControlModifier));
    EXPECT_EQ(reported, (Reports{Shortcut(Key::f5, Qt::ShiftModifier), Shortcut(Key::a, Qt::ControlModifier)}));
}

TEST_F(Recorder, conflictsWithAMenuItemOrAnotherProgram_AreWarnedAbout_AndStoredOnlyWhenTheUserInsists)
{
    const Shortcut taken(Key::p, Qt::ControlModifier | Qt::AltModifier);
    hotKeys.takenByOthers.push_back(taken.combination());
    QMenu menu;
    menu.addMenu(QStringLiteral("更多"))->addAction(QStringLiteral("退&出"))->setShortcut(Qt::META | Qt::Key_Q);
    setShortcut(menu.addAction(QStringLiteral("截图翻译")), name);
    setApplicationMenu(&menu);
    startRecording();
    QTest::keyClick(recorder, Qt::Key_Q, Qt::MetaModifier);
    QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].title, QStringLiteral("此快捷键已被菜单项「退出」使用。"));
    EXPECT_EQ(alerts[1].buttons.size(), 2);  // "好" or "仍然使用"
    EXPECT_EQ(getShortcut(name), kControlShiftT);
    EXPECT_TRUE(recorder->isRecording());  // focus taken back after the alerts
    EXPECT_TRUE(isPaused());

    QTest::keyClick(recorder, Qt::Key_T, kControlShift);  // the name's own menu item
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(reported, Reports{kControlShiftT});

    startRecording();
    alertAnswer = 1;
    QTest::keyClick(recorder, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(getShortcut(name), taken);
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(Recorder, showsTheStoredShortcut_ClearsItByDeleteOrItsButton_AndTabEndsRecording)
{
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Shift+T"));
    setShortcut(Shortcut(Key::k, Qt::MetaModifier), name);
    EXPECT_EQ(recorder->text(), QStringLiteral("Meta+K"));  // changed elsewhere
    // Focus coming back with its window starts no recording.
    other->setFocus();
    recorder->setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_FALSE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(getShortcut(name), Shortcut(Key::k, Qt::MetaModifier));

    recorder->findChild<QToolButton*>()->click();
    EXPECT_FALSE(getShortcut(name));
    EXPECT_TRUE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_Delete);  // already empty: nothing to report
    EXPECT_EQ(reported, (Reports{std::nullopt}));
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
