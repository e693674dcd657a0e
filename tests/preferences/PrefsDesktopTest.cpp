// The preferences in the running program on the headless desktop: opened from
// the tray menu, and shortcuts recorded with real key presses while other X
// clients (and openbox) hold combinations.
#include "PrefsFakes.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/RealShellServices.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "GlobalShortcuts/RecorderControl.h"
#include "overlay/SelOverlayController.h"
#include "platform/SystemTrayIcon.h"
#include "platform/hotkeys/HotKeyPlatform.h"
#include "preferences/PrefsAboutTab.h"
#include "preferences/PrefsGeneralTab.h"
#include "preferences/PrefsShortcutTab.h"
#include "preferences/SettingsView.h"
#include "preferences/SettingsWindow.h"
#include "preferences/ShortcutConflictView.h"
#include "support/DesktopDriver.h"
#include "support/OtherXClient.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

constexpr int kWaitMs = 3000;

using test::pressKeys;

// The colour of a widget's drawing on the screen: the pixel farthest from its
// top-left one, the background.
QColor ink(const QWidget* widget)
{
    const QImage image = test::screenImage(widget);
    const QColor back = image.pixelColor(0, 0);
    QColor strongest = back;
    const auto distance = [&](const QColor& c) {
        return std::abs(c.red() - back.red()) + std::abs(c.green() - back.green()) + std::abs(c.blue() - back.blue());
    };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (distance(image.pixelColor(x, y)) > distance(strongest)) strongest = image.pixelColor(x, y);
    return strongest;
}

constexpr auto kControlShift = Qt::ControlModifier | Qt::ShiftModifier;

// Answers the program's real alerts as the user would, pressing `keys` once an
// alert has the keyboard; it polls from a timer, so inside the alert's own
// event loop too. An alert still up 1.5 s after the keys got none of them: it
// is closed and noted as stuck.
class AlertAnswerer : public QObject {
public:
    explicit AlertAnswerer(const QString& keys)
    {
        connect(&m_poll, &QTimer::timeout, this, [this, keys] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            if (box != m_answered && QApplication::activeWindow() == box) {
                m_answered = box;
                seen << box->text();
                m_pressed.start();
                pressKeys(keys);
            } else if (box == m_answered && m_pressed.elapsed() > 1500) {
                stuck = true;
                box->done(0);
            }
        });
        m_poll.start(50);
    }

    QStringList seen;  // the alerts' texts, in order
    bool stuck = false;
    bool answered(int alerts) const { return seen.size() == alerts && !QApplication::activeModalWidget(); }

private:
    QTimer m_poll;
    QPointer<QMessageBox> m_answered;
    QElapsedTimer m_pressed;
};

// Puts the names a test changed back to none, and closes an overlay it left open.
struct ShortcutsRestored {
    QList<const Name*> names;
    ~ShortcutsRestored()
    {
        setApplicationMenu(nullptr);
        for (const Name* name : names) setShortcut(std::nullopt, *name);
        if (SelOverlayController::shared().isActive()) SelOverlayController::shared().cancel();
    }
};

// The program as it runs: shell, tray, hot keys and the preferences window.
class PrefsOnDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display()) return;
        test::clearProgramShortcuts();
        s_services = new RealShellServices;
        s_tray = new platform::SystemTrayIcon;
        s_delegate = new AppDelegate(*s_services, s_tray);
        s_delegate->applicationDidFinishLaunching();
    }
    static void TearDownTestSuite()
    {
        if (!s_delegate) return;
        s_delegate->applicationWillTerminate();
        delete s_delegate;
        delete s_tray;
        delete s_services;
    }
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    }

    static QAction* menuItem(const QString& title)
    {
        for (QAction* a : s_delegate->menu()->actions())
            if (a->text() == title) return a;
        return nullptr;
    }
    // The tray menu's item bound to a name, in its submenus too.
    static QAction* boundItem(const Name& name, QMenu* menu = nullptr)
    {
        for (QAction* a : (menu ? menu : s_delegate->menu())->actions()) {
            if (boundName(a) == name) return a;
            if (QAction* found = a->menu() ? boundItem(name, a->menu()) : nullptr) return found;
        }
        return nullptr;
    }
    // The preferences window, opened from the tray menu, on the given section.
    static SettingsView* openSection(PrefsSection section)
    {
        menuItem(QStringLiteral("设置…"))->trigger();
        QWidget* window = SettingsWindowController::shared().window();
        EXPECT_TRUE(window && QTest::qWaitForWindowActive(window));
        SettingsWindowController::shared().view()->setSection(section);
        QTest::qWait(50);
        return SettingsWindowController::shared().view();
    }
    static PrefsShortcutTab* shortcutTab()
    {
        return dynamic_cast<PrefsShortcutTab*>(openSection(PrefsSection::shortcuts)->content());
    }
    static QStringList conflictTitles(PrefsShortcutTab* tab)
    {
        QStringList titles;
        for (const auto& c : tab->conflictView()->conflicts()) titles << c.title;
        return titles;
    }
    // Clicks the recorder and presses the keys, answering a warning with `answer`.
    static void record(ShortcutConflictRecorder* row, const QString& keys, int answer = 1)
    {
        RecorderControl* recorder = row->recorder();
        recorder->setAlertPresenter([answer](QWidget*, const RecorderControl::Alert&) { return answer; });
        QTest::mouseClick(recorder, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording(); }, kWaitMs));
        ASSERT_TRUE(pressKeys(keys));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder->isRecording(); }, kWaitMs)) << "the recorder got no key";
    }

    static inline RealShellServices* s_services = nullptr;
    static inline platform::SystemTrayIcon* s_tray = nullptr;
    static inline AppDelegate* s_delegate = nullptr;
};

}  // namespace

TEST_F(PrefsOnDesktop, trayMenuOpensTheWindow_AndASecondShowBringsBackTheSameOne)
{
    SettingsView* view = openSection(PrefsSection::history);
    QWidget* window = SettingsWindowController::shared().window();
    window->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, kWaitMs));
    menuItem(QStringLiteral("设置…"))->trigger();
    EXPECT_EQ(SettingsWindowController::shared().window(), window);
    EXPECT_EQ(SettingsWindowController::shared().view(), view);
    EXPECT_EQ(view->section(), PrefsSection::history);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
}

TEST_F(PrefsOnDesktop, combinationsOthersHold_ShowTheTakenStateAndAConflictRow_NamedWhereTheDesktopSaysSo)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    EXPECT_TRUE(tab->conflictSection()->isHidden()) << "no warning with the default shortcuts";

    // Held by a helper client: recorded anyway ("仍然使用"), it shows as taken.
    test::OtherXClient helper;
    ASSERT_TRUE(helper.grab(Key::k, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    ShortcutConflictRecorder* delayed = tab->recorderFor("delayedCapture");
    ASSERT_NO_FATAL_FAILURE(record(delayed, "ctrl+alt+k"));
    EXPECT_EQ(getShortcut(Name::delayedCapture()), Shortcut(Key::k, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_EQ(registration(Name::delayedCapture()).state, Registration::State::taken);
    ASSERT_TRUE(QTest::qWaitFor([&] { return conflictTitles(tab).contains(QStringLiteral("延时截图")); }, kWaitMs));
    EXPECT_TRUE(tab->conflictView()->conflicts().first().message.contains(QStringLiteral("已被另一个程序占用")));
    EXPECT_TRUE(delayed->stateLabel()->isVisible());
    EXPECT_EQ(delayed->stateLabel()->text(), registration(Name::delayedCapture()).message);
    EXPECT_FALSE(tab->conflictSection()->isHidden());
    EXPECT_TRUE(tab->conflictView()->settingsButton()->isHidden()) << "openbox has no shortcut settings to open";

    // Openbox's own Alt+Tab reaches the recorder too, and is named from its rc.xml.
    ASSERT_NO_FATAL_FAILURE(record(tab->recorderFor("colorPicker"), "alt+Tab"));
    EXPECT_EQ(getShortcut(Name::colorPicker()), Shortcut(Key::tab, Qt::AltModifier));
    ASSERT_TRUE(QTest::qWaitFor([&] { return conflictTitles(tab).contains(QStringLiteral("屏幕取色器")); }, kWaitMs));
    QString altTab;
    for (const auto& c : tab->conflictView()->conflicts())
        if (c.title == QStringLiteral("屏幕取色器")) altTab = c.message;
    EXPECT_TRUE(altTab.contains(QStringLiteral("已被 Openbox 的「切换到下一个窗口」占用"))) << qPrintable(altTab);
    setShortcut(std::nullopt, Name::colorPicker());
    setShortcut(std::nullopt, Name::delayedCapture());
    ASSERT_TRUE(QTest::qWaitFor([&] { return tab->conflictSection()->isHidden(); }, kWaitMs));
}

TEST_F(PrefsOnDesktop, recordedShortcutFiresOnAKeyPress_TwoItemsOnOneNameEachOther_ClearingOneEndsBoth)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    int presses = 0;
    QObject context;
    onKeyDown(Name::repeatLastArea(), &context, [&] { ++presses; });
    ASSERT_NO_FATAL_FAILURE(record(tab->recorderFor("repeatLastArea"), "ctrl+alt+period"));
    EXPECT_EQ(registration(Name::repeatLastArea()).state, Registration::State::registered);
    ASSERT_TRUE(pressKeys("ctrl+alt+period"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses == 1; }, kWaitMs));

    // The same combination for a second item: one row for each, naming the other.
    ASSERT_NO_FATAL_FAILURE(record(tab->recorderFor("pinFromClipboard"), "ctrl+alt+period"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return conflictTitles(tab).size() == 2; }, kWaitMs));
    EXPECT_EQ(conflictTitles(tab), (QStringList{QStringLiteral("重复上次区域"), QStringLiteral("剪贴板贴图")}));
    EXPECT_TRUE(tab->conflictView()->conflicts()[0].message.contains(QStringLiteral("「剪贴板贴图」")));
    EXPECT_TRUE(tab->conflictView()->conflicts()[1].message.contains(QStringLiteral("「重复上次区域」")));

    // Clearing one in its recorder removes both rows.
    RecorderControl* pin = tab->recorderFor("pinFromClipboard")->recorder();
    pin->clear();
    Q_EMIT pin->textEdited(QString());
    pin->clearFocus();
    EXPECT_FALSE(getShortcut(Name::pinFromClipboard()).has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return conflictTitles(tab).isEmpty(); }, kWaitMs));
    setShortcut(std::nullopt, Name::repeatLastArea());
}

TEST_F(PrefsOnDesktop, storedPlainReturn_IsNotGrabbed_AndTheTabSaysWhy)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    setShortcut(Shortcut(Key::return_, Qt::NoModifier), Name::pinFromClipboard());
    EXPECT_EQ(registration(Name::pinFromClipboard()).state, Registration::State::noModifier);
    test::OtherXClient other;
    EXPECT_TRUE(other.grab(Key::return_, 0)) << "Return is left to the other programs";
    ShortcutConflictRecorder* row = tab->recorderFor("pinFromClipboard");
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->stateLabel()->isVisible(); }, kWaitMs));
    EXPECT_TRUE(row->stateLabel()->text().contains(QStringLiteral("Ctrl、Alt 或 Super")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return conflictTitles(tab) == QStringList{QStringLiteral("剪贴板贴图")}; }, kWaitMs));
    EXPECT_TRUE(tab->conflictView()->conflicts()[0].message.contains(QStringLiteral("所以本应用不会注册它")));
    setShortcut(std::nullopt, Name::pinFromClipboard());
}

TEST_F(PrefsOnDesktop, generalTab_LoginFailureIsRed_NoteIconFollowsTheDarkLook_AboutShowsTheProgramsIcon)
{
    PrefsGeneralTab::loginItemSetter() = [](bool) { return platform::LoginItem::Outcome{false, QStringLiteral("拒绝")}; };
    auto* tab = dynamic_cast<PrefsGeneralTab*>(openSection(PrefsSection::general)->content());
    tab->launchAtLoginSwitch()->click();
    tab->appearancePicker()->setCurrentIndex(tab->appearancePicker()->findText(QStringLiteral("深色")));
    tab->menuBarOnlySwitch()->click();  // the restart note
    QTest::qWait(300);
    const QColor error = ink(tab->launchErrorLabel());
    EXPECT_TRUE(error.red() > 160 && error.green() < 110 && error.blue() < 110) << qPrintable(error.name());
    // The note's icon in the grey of its text, light on the dark look.
    const QList<QLabel*> note = tab->restartNote()->findChildren<QLabel*>();
    ASSERT_EQ(note.size(), 2);
    const QColor icon = ink(note[0]);
    EXPECT_GT(icon.lightness(), 100) << qPrintable(icon.name());
    EXPECT_LT(std::abs(icon.lightness() - ink(note[1]).lightness()), 40) << qPrintable(icon.name());
    tab->menuBarOnlySwitch()->click();
    tab->appearancePicker()->setCurrentIndex(tab->appearancePicker()->findText(QStringLiteral("跟随系统")));
    PrefsGeneralTab::loginItemSetter() = [](bool on) { return platform::LoginItem::setEnabled(on); };

    // The about section's icon: the program's own (its blue face left of the frame).
    QLabel* about = dynamic_cast<PrefsAboutTab*>(openSection(PrefsSection::about)->content())->iconLabel();
    QTest::qWait(300);
    const QColor face = test::screenImage(QRect(about->mapToGlobal(QPoint(8, 32)), QSize(1, 1))).pixelColor(0, 0);
    EXPECT_TRUE(face.blue() > 150 && face.red() < 100) << qPrintable(face.name());
}

// A clicked empty recorder shows its prompt. The menu's combination pressed
// in it brings an alert, answered with Return: Return presses the alert's
// button even while a plain Return is stored for 剪贴板贴图, and recording goes
// on with the hot keys paused, alert after alert, until a combination is taken.
TEST_F(PrefsOnDesktop, recorderShowsItsPrompt_AndAfterAlertsClosedWithReturnGoesOnRecording)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    ShortcutsRestored restored{{&Name::plainCapture(), &Name::pinFromClipboard(), &Name::captureAnnotate()}};
    setApplicationMenu(s_delegate->menu());
    setShortcut(Shortcut(Key::s, kControlShift), Name::plainCapture());  // the menu's 普通截图, a live hot key
    ASSERT_EQ(registration(Name::plainCapture()).state, Registration::State::registered);
    setShortcut(Shortcut(Key::return_, Qt::NoModifier), Name::pinFromClipboard());
    QAction* pin = boundItem(Name::pinFromClipboard());
    ASSERT_NE(pin, nullptr);
    bool pinned = false;
    QObject watching;
    QObject::connect(pin, &QAction::triggered, &watching, [&] { pinned = true; });
    RecorderControl* recorder = tab->recorderFor("captureAnnotate")->recorder();
    ASSERT_TRUE(recorder->text().isEmpty());
    recorder->setAlertPresenter({});  // the real alerts
    AlertAnswerer answerer(QStringLiteral("Return"));
    QTest::mouseClick(recorder, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording(); }, kWaitMs));
    recorder->repaint();
    QTest::qWait(300);  // the idle text may still be on the screen until then
    // Inside the field, away from its frame and focus ring.
    const QImage inside = test::screenImage(recorder, QMargins(8, 5, 8, 5));
    EXPECT_GT(test::pixelsUnlike(inside, recorder->palette().color(QPalette::Base), 60), 30) << "a blank field";

    for (int alert = 1; alert <= 2; ++alert) {
        ASSERT_TRUE(pressKeys("ctrl+shift+s"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.answered(alert); }, 5000))
            << "alerts so far: " << qPrintable(answerer.seen.join('|'));
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder->isRecording(); }, kWaitMs))
            << "recording ended with alert " << alert;
        EXPECT_TRUE(isPaused());
        EXPECT_FALSE(SelOverlayController::shared().isActive());
    }
    EXPECT_TRUE(answerer.seen.first().contains(QStringLiteral("「普通截图」")));
    EXPECT_FALSE(answerer.stuck) << "Return did not reach the alert's button";
    EXPECT_FALSE(pinned) << "Return ran 剪贴板贴图";
    ASSERT_TRUE(pressKeys("ctrl+alt+k"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder->isRecording(); }, kWaitMs));
    EXPECT_EQ(getShortcut(Name::captureAnnotate()), Shortcut(Key::k, Qt::ControlModifier | Qt::AltModifier));
    EXPECT_FALSE(SelOverlayController::shared().isActive());
}

TEST_F(PrefsOnDesktop, aCombinationAnotherProgramHolds_RecordedAnyway_WorksWithinSecondsOfItsRelease)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    ShortcutsRestored restored{{&Name::plainCapture()}};
    auto other = std::make_unique<test::OtherXClient>();
    ASSERT_TRUE(other->grab(Key::y, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    ShortcutConflictRecorder* row = tab->recorderFor("plainCapture");
    ASSERT_NO_FATAL_FAILURE(record(row, "ctrl+alt+y", 1));  // "仍然使用"
    const Shortcut controlAltY(Key::y, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(getShortcut(Name::plainCapture()), controlAltY);

    // Not active meanwhile, and said so in the menu and the tab.
    QTest::qWait(500);
    QAction* item = boundItem(Name::plainCapture());
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(isEnabled(Name::plainCapture()));
    EXPECT_TRUE(item->shortcut().isEmpty());
    EXPECT_TRUE(item->text().contains(QStringLiteral("未生效")));
    EXPECT_TRUE(row->stateLabel()->isVisible());

    other.reset();  // the other program exits
    QElapsedTimer sinceExit;
    sinceExit.start();
    ASSERT_TRUE(QTest::qWaitFor([] { return isEnabled(Name::plainCapture()); }, 5000));
    ASSERT_TRUE(pressKeys("ctrl+alt+y"));
    ASSERT_TRUE(QTest::qWaitFor([] { return SelOverlayController::shared().isActive(); }, kWaitMs));
    EXPECT_LT(sinceExit.elapsed(), 5000);
    EXPECT_EQ(item->shortcut(), controlAltY.keySequence());
    EXPECT_FALSE(row->stateLabel()->isVisible());
    QTest::qWait(300);  // the overlay takes the keyboard once it shows
    ASSERT_TRUE(pressKeys("Escape"));
    EXPECT_TRUE(QTest::qWaitFor([] { return !SelOverlayController::shared().isActive(); }, kWaitMs));
}

// Every recorder field keeps its full height while rows below or above it
// show why their hot key does not work ("仍然使用" on a taken combination, a
// plain key): the warning lines push the rows apart instead of squeezing them.
TEST_F(PrefsOnDesktop, rowsWithWarnings_KeepEveryFieldWhole)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    ShortcutsRestored restored{{&Name::plainCapture(), &Name::delayedCapture(), &Name::pinFromClipboard()}};
    test::OtherXClient other;
    ASSERT_TRUE(other.grab(Key::y, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    ASSERT_TRUE(other.grab(Key::u, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    ASSERT_NO_FATAL_FAILURE(record(tab->recorderFor("plainCapture"), "ctrl+alt+y", 1));
    ASSERT_NO_FATAL_FAILURE(record(tab->recorderFor("delayedCapture"), "ctrl+alt+u", 1));
    setShortcut(Shortcut(Key::return_, Qt::NoModifier), Name::pinFromClipboard());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tab->conflictSection()->isHidden(); }, kWaitMs));
    QTest::qWait(300);
    int warned = 0;
    for (ShortcutConflictRecorder* row : tab->recorders()) {
        RecorderControl* field = row->recorder();
        const QString name = field->shortcutName().rawValue();
        EXPECT_GE(field->height(), field->sizeHint().height()) << qPrintable(name);
        if (!row->stateLabel()->isVisible()) continue;
        ++warned;
        QLabel* state = row->stateLabel();
        EXPECT_GE(state->height(), state->heightForWidth(state->width())) << qPrintable(name);
    }
    EXPECT_EQ(warned, 3);
    // The warning list under them holds each message whole.
    for (QLabel* label : tab->conflictView()->findChildren<QLabel*>()) {
        if (!label->wordWrap()) continue;
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << qPrintable(label->text());
    }
}

// Clicked to record again, a field that holds a shortcut showed it unchanged:
// nothing said it was listening. It shows the prompt an empty field shows.
TEST_F(PrefsOnDesktop, clickedFieldHoldingAShortcut_ShowsThePromptAsAnEmptyOneDoes)
{
    PrefsShortcutTab* tab = shortcutTab();
    ASSERT_NE(tab, nullptr);
    ShortcutsRestored restored{{&Name::delayedCapture()}};
    const Shortcut controlAltJ(Key::j, Qt::ControlModifier | Qt::AltModifier);
    setShortcut(controlAltJ, Name::delayedCapture());
    RecorderControl* held = tab->recorderFor("delayedCapture")->recorder();
    RecorderControl* empty = tab->recorderFor("captureAnnotate")->recorder();
    ASSERT_EQ(held->text(), controlAltJ.description());
    ASSERT_TRUE(empty->text().isEmpty());
    const auto listening = [](RecorderControl* field) {
        QTest::mouseClick(field, Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->isRecording(); }, kWaitMs));
        field->repaint();
        QTest::qWait(300);
        // The middle of the field: away from its frame and its clear button.
        const QImage middle = test::screenImage(field, QMargins(26, 5, 26, 5));
        pressKeys(QStringLiteral("Escape"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !field->isRecording(); }, kWaitMs));
        return middle;
    };
    const QImage heldListening = listening(held);
    const QImage emptyListening = listening(empty);
    EXPECT_GT(test::pixelsUnlike(emptyListening, empty->palette().color(QPalette::Base), 60), 20) << "no prompt";
    EXPECT_LT(test::differingPixels(heldListening, emptyListening), 10) << "the held field shows no prompt";
    EXPECT_EQ(held->text(), controlAltJ.description()) << "Escape keeps the shortcut";
}
