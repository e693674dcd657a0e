// The program's floating windows as the desktop's window manager treats them,
// whichever one runs the headless desktop (openbox, xfwm4, KWin, mutter): the
// program runs as a process beside another program's window and is read from
// outside, as a task bar or pager reads it. The toast and a pin stay on the
// screen while the other program is active; a pin stays above and on every
// desktop after a full-screen translation; the recording bars stay out of the
// task bar and Return in the options bar gives the focus back; nothing of ours
// is left demanding attention; a tray that comes after the program gets its icon.
#include "FloatingWindowsFixture.h"

#include <QRegularExpression>

using namespace klipo;
using namespace klipo::test;

namespace {

// A desktop of its own beside the test's, without a tray, under the same
// window manager: for a tray that starts after the program.
class TraylessDesktop {
public:
    TraylessDesktop()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KLIPO_DESKTOP_MINIMAL", "1");
        m_process.setProcessEnvironment(env);
        m_process.start(KLIPO_HEADLESS_DESKTOP,
                        {"sh", "-c", "echo \"desktop $DISPLAY $DBUS_SESSION_BUS_ADDRESS\"; exec cat"});
        QByteArray line;
        (void)QTest::qWaitFor([&] {
            line += m_process.readAllStandardOutput();
            return line.contains('\n');
        }, 30000);
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 3 && words[0] == "desktop") {
            display = words[1];
            bus = words[2];
        }
    }
    ~TraylessDesktop()
    {
        m_process.closeWriteChannel();  // the desktop ends with its command
        if (!m_process.waitForFinished(20000)) m_process.kill();
    }
    // For a program on this desktop.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromUtf8(display));
        env.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(bus));
        return env;
    }
    // Starts a program on this desktop, in the background.
    void start(QProcess& program, const QString& path, const QStringList& arguments = {}) const
    {
        program.setProcessEnvironment(environment());
        program.start(path, arguments);
    }

    QByteArray display, bus;

private:
    QProcess m_process;
};

}  // namespace

// KWin hides the tool windows of a program that is not active; a toast or pin
// of ours must stay up while the user works in another program.
TEST_F(FloatingWindows, toastAndPin_StayOnTheScreen_WhileAnotherProgramIsActive)
{
    ASSERT_TRUE(launch(false));
    OtherProgram other(QRect(0, 0, 1920, 1000));
    ASSERT_TRUE(other.shown);
    ASSERT_NO_FATAL_FAILURE(pinPicture({700, 500}));
    EXPECT_EQ(m_probe.activeWindow(), other.window) << "the pin took the focus";

    other.clickAt({1500, 200});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000))
        << describe(m_probe, m_probe.activeWindow()) << " is active";
    QTest::qWait(800);  // what the window manager does to inactive programs' windows
    EXPECT_TRUE(pinOnScreen()) << describe(m_probe, pin());

    // Nothing on the clipboard to pin: the toast says so, and stays while the pointer rests on it.
    ASSERT_NO_FATAL_FAILURE(copyToClipboard("UTF8_STRING", m_folder + "/words.txt"));
    ASSERT_TRUE(pressUntil("ctrl+shift+p", [&] { return toast() != XCB_WINDOW_NONE; })) << "no toast";
    const QRect corner = m_probe.shownGeometry(toast());
    QCursor::setPos(corner.center());
    QTest::qWait(800);
    EXPECT_TRUE(m_probe.isShown(toast())) << describe(m_probe, toast());
    EXPECT_LT(shareLike(corner.adjusted(20, 10, -20, -10), Qt::white), 0.5)
        << "the other program shows where the toast is";
    EXPECT_EQ(m_probe.activeWindow(), other.window) << "the toast took the focus";
    EXPECT_TRUE(pinOnScreen());
}

// The windows hidden for the full-screen translation's grab come back with
// every state they had.
TEST_F(FloatingWindows, pin_AfterAFullScreenTranslation_IsOnEveryDesktopAbove_AndOutOfTheTaskBarAndPager)
{
    ASSERT_TRUE(launch(false));
    OtherProgram other(QRect(0, 0, 1920, 1000));
    ASSERT_TRUE(other.shown);
    ASSERT_NO_FATAL_FAILURE(pinPicture({1500, 700}));
    EXPECT_TRUE(floatsEverywhere(pin()));

    QCursor::setPos(300, 300);
    pressKeys("ctrl+shift+f");  // the program has its keys: the pin came by one
    ASSERT_TRUE(QTest::qWaitFor([&] { return resultPanel() != XCB_WINDOW_NONE; }, 20000)) << "no result panel";
    EXPECT_TRUE(floatsEverywhere(pin()));

    // The user clicks the other program above the (large) result panel: both stay up.
    const xcb_window_t panel = resultPanel();
    ASSERT_GT(m_probe.geometry(panel).top(), 100);
    QTest::qWait(1000);  // xfwm4 focuses a window it has just mapped at a click that comes at once
    other.clickAt({1800, 60});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000))
        << describe(m_probe, m_probe.activeWindow()) << " is active";
    QTest::qWait(800);
    EXPECT_TRUE(m_probe.isShown(panel)) << "the result panel went with the focus: " << describe(m_probe, panel);
    EXPECT_TRUE(floatsEverywhere(pin()));

    // Closed, the panel uncovers the pin, which is still above the other program.
    xdotool({"windowactivate", "--sync", QString::number(panel)});
    pressKeys("Escape");
    ASSERT_TRUE(QTest::qWaitFor([&] { return resultPanel() == XCB_WINDOW_NONE || !m_probe.isShown(panel); }, 3000));
    other.clickAt({1800, 60});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000));
    QTest::qWait(800);
    EXPECT_TRUE(pinOnScreen()) << describe(m_probe, pin());
    EXPECT_TRUE(floatsEverywhere(pin()));
}

// The overlay takes the keyboard without the window manager seeing it. When
// it ends the keys go back to the program the user was in (xfwm4 went on
// marking that program active while the keys went to no window at all).
TEST_F(FloatingWindows, overlayEnded_KeysGoToTheProgramThatHadThemAgain)
{
    ASSERT_TRUE(launch(false));
    OtherProgram other(QRect(100, 100, 1200, 700));
    ASSERT_TRUE(other.shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000));
    const struct {
        const char* hotKey;
        bool drag;
        const char* endKey;
        const char* typed;
    } roads[] = {{"ctrl+shift+t", false, "Escape", "a"}, {"ctrl+shift+s", true, "Return", "b"}};
    for (const auto& road : roads) {
        SCOPED_TRACE(std::string(road.hotKey) + " then " + road.endKey);
        ASSERT_TRUE(pressUntil(road.hotKey, overlayShown)) << "no overlay";
        QTest::qWait(300);
        if (road.drag) {
            xdotool({"mousemove", "300", "250", "mousedown", "1", "mousemove", "500", "350", "mousemove", "800", "500",
                     "mouseup", "1"});
            QTest::qWait(500);
        }
        pressKeys(road.endKey);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 5000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_probe.hasKeyboard(other.window); }, 3000))
            << "the keys go to window " << m_probe.keyboardFocus() << "; active is "
            << describe(m_probe, m_probe.activeWindow());
        // Typed with the pointer away from it: the X server gives keys that
        // have no focused window to the window under the pointer.
        QCursor::setPos(1700, 950);
        pressKeys(road.typed);
        EXPECT_TRUE(QTest::qWaitFor([&] { return other.gotKey(road.typed); }, 3000)) << "the key went elsewhere";
    }
}

// Every road of a screenshot hides our windows for the grab or covers them
// with its own, and shows them again: a pin comes back on every desktop and
// above each time, also under a window manager without a compositor (the
// full-screen translation has its own test above).
TEST_F(FloatingWindows, pin_AfterEveryKindOfScreenshot_IsStillOnEveryDesktopAbove)
{
    ASSERT_TRUE(launch(false));
    OtherProgram other(QRect(0, 0, 1920, 1000));
    ASSERT_TRUE(other.shown);
    ASSERT_NO_FATAL_FAILURE(pinPicture({1500, 700}));
    ASSERT_TRUE(floatsEverywhere(pin()));
    const auto drag = [] {
        xdotool({"mousemove", "200", "200", "mousedown", "1", "mousemove", "400", "300", "mousemove", "700", "450",
                 "mouseup", "1"});
    };

    const struct {
        const char* hotKey;
        bool drag;
        const char* endKey;
    } overlayRoads[] = {{"ctrl+shift+s", true, "Return"}, {"ctrl+shift+t", false, "Escape"}};
    for (const auto& road : overlayRoads) {
        SCOPED_TRACE(std::string("the overlay of ") + road.hotKey + " left with " + road.endKey);
        ASSERT_TRUE(pressUntil(road.hotKey, overlayShown)) << "no overlay";
        QTest::qWait(300);
        if (road.drag) drag();
        QTest::qWait(500);
        pressKeys(road.endKey);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 5000));
        QTest::qWait(800);
        EXPECT_TRUE(floatsEverywhere(pin()));
    }
    quit();

    // Without the overlay a plain screenshot freezes the screens under a
    // crosshair picker of its own.
    platform::SettingsStore::shared().setValue("selCaptureOverlayEnabled", false);
    ASSERT_TRUE(launch(false));
    ASSERT_NO_FATAL_FAILURE(pinPicture({1500, 700}));
    ASSERT_TRUE(floatsEverywhere(pin()));
    {
        SCOPED_TRACE("a plain screenshot through the region picker");
        ASSERT_TRUE(pressUntil("ctrl+shift+s", overlayShown)) << "no region picker";
        QTest::qWait(300);
        drag();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 5000));
        QTest::qWait(800);
        EXPECT_TRUE(floatsEverywhere(pin()));
    }
    {
        SCOPED_TRACE("a translation through the region picker");
        ASSERT_TRUE(pressUntil("ctrl+shift+t", overlayShown)) << "no region picker";
        QTest::qWait(300);
        drag();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return resultPanel() != XCB_WINDOW_NONE && m_probe.isShown(resultPanel()); }, 20000));
        QTest::qWait(800);
        EXPECT_TRUE(floatsEverywhere(pin()));
    }
}

// The bars of a recording float out of the task bar; the options bar takes the
// keyboard for Return, and gives it back to the program the user was in.
TEST_F(FloatingWindows, recordingBars_FloatOutOfTheTaskBar_AndReturnGivesTheFocusBack)
{
    ASSERT_TRUE(launch(true));
    OtherProgram other(QRect(300, 150, 1000, 700));
    ASSERT_TRUE(other.shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000));

    const auto overlayShown = [] {
        const QString ids = test::xdotoolOutput({"search", "--onlyvisible", "--name", "^KlipoVersa$"});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (test::xdotoolOutput({"getwindowgeometry", id}).contains("1920x1080")) return true;
        return false;
    };
    ASSERT_TRUE(pressUntil("ctrl+shift+l", overlayShown)) << "no overlay";
    QTest::qWait(300);
    xdotool({"mousemove", "400", "250", "mousedown", "1", "mousemove", "600", "400", "mousemove", "800", "500",
             "mouseup", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar(true) != XCB_WINDOW_NONE && m_probe.isShown(bar(true)); }, 5000))
        << "no options bar";
    EXPECT_TRUE(floatsEverywhere(bar(true)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == bar(true); }, 3000))
        << "the options bar has no keyboard";

    pressKeys("Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar(false) != XCB_WINDOW_NONE && m_probe.isShown(bar(false)); }, 8000))
        << "no stop bar";
    EXPECT_TRUE(floatsEverywhere(bar(false)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == other.window; }, 3000))
        << "the focus is on " << describe(m_probe, m_probe.activeWindow());
    QTest::qWait(500);
    EXPECT_EQ(m_probe.activeWindow(), other.window);
    pressKeys("ctrl+shift+l");
    EXPECT_TRUE(QTest::qWaitFor([&] { return bar(false) == XCB_WINDOW_NONE; }, 10000));
    EXPECT_TRUE(noneDemandsAttention());
}

// The overlay and the full-screen translation hide our windows and show them
// again: the library window must not end up asking for attention.
TEST_F(FloatingWindows, overlayAndFullScreenTranslation_LeaveNoWindowOfOursDemandingAttention)
{
    ASSERT_TRUE(launch(true));
    const xcb_window_t libraryWindow = library();
    xdotool({"windowactivate", "--sync", QString::number(libraryWindow)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == libraryWindow; }, 3000));
    OtherProgram other(QRect(600, 100, 1200, 800));
    ASSERT_TRUE(other.shown);
    const auto overlayShown = [] {
        const QString ids = test::xdotoolOutput({"search", "--onlyvisible", "--name", "^KlipoVersa$"});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (test::xdotoolOutput({"getwindowgeometry", id}).contains("1920x1080")) return true;
        return false;
    };
    for (const xcb_window_t from : {other.window, libraryWindow}) {
        SCOPED_TRACE(from == libraryWindow ? "from the library window" : "from the other program");
        xdotool({"windowactivate", "--sync", QString::number(from)});
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == from; }, 3000));
        ASSERT_TRUE(pressUntil("ctrl+shift+t", overlayShown));
        QTest::qWait(300);
        pressKeys("Escape");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 3000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_probe.activeWindow() == from; }, 3000));
        QTest::qWait(800);
        EXPECT_TRUE(noneDemandsAttention());

        pressKeys("ctrl+shift+f");  // once: a second press would take the screen again
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return resultPanel() != XCB_WINDOW_NONE && m_probe.isShown(resultPanel()); }, 20000));
        QTest::qWait(800);
        EXPECT_TRUE(noneDemandsAttention());
        xdotool({"windowactivate", "--sync", QString::number(resultPanel())});
        pressKeys("Escape");
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return resultPanel() == XCB_WINDOW_NONE || !m_probe.isShown(resultPanel()); }, 3000));
    }
}

// A tray that starts 5 s after the program (a panel that comes up later) gets
// the icon, and gets it again when it is restarted.
TEST_F(FloatingWindows, xembedTrayStartedAfterTheProgram_GetsTheIcon_AlsoWhenRestarted)
{
    TraylessDesktop desktop;
    ASSERT_FALSE(desktop.display.isEmpty()) << "no second desktop";
    WindowProbe probe(desktop.display);
    ASSERT_TRUE(probe.isConnected());
    ASSERT_TRUE(launch(false, desktop.environment()));
    QTest::qWait(5000);
    for (const char* tray : {"started late", "restarted"}) {
        SCOPED_TRACE(tray);
        QProcess trayer;
        desktop.start(trayer, "trayer",
                      {"--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "24"});
        ASSERT_TRUE(trayer.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return probe.hasEmbeddedWindow(m_app.processId()); }, 10000))
            << "the tray has no icon of ours";
        trayer.terminate();
        ASSERT_TRUE(trayer.waitForFinished(5000));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return probe.selectionOwner("_NET_SYSTEM_TRAY_S0") == XCB_WINDOW_NONE; }, 5000));
    }
    quit();  // before its desktop goes
}

// The same with a StatusNotifier tray (KDE Plasma's, or a panel's that
// speaks it): the icon registers with a watcher that comes 5 s late.
TEST_F(FloatingWindows, statusNotifierTrayStartedAfterTheProgram_GetsTheIcon)
{
    TraylessDesktop desktop;
    ASSERT_FALSE(desktop.bus.isEmpty()) << "no second desktop";
    ASSERT_TRUE(launch(false, desktop.environment()));
    QTest::qWait(5000);
    QProcess watcher;
    desktop.start(watcher, KLIPO_FAKE_STATUS_WATCHER);
    QByteArray said;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            said += watcher.readAllStandardOutput();
            return said.contains("item ");
        },
        10000))
        << said.constData();
    watcher.terminate();
    watcher.waitForFinished(5000);
    quit();
}
