// The program's floating windows as the desktop's window manager treats them,
// whichever one runs the headless desktop (openbox, xfwm4, KWin, mutter): the
// program runs as a process beside another program's window and is read from
// outside, as a task bar or pager reads it. The toast and a pin stay on the
// screen while the other program is active; a pin stays above and on every
// desktop after a full-screen translation; the recording bars stay out of the
// task bar and Return in the options bar gives the focus back; nothing of ours
// is left demanding attention; a tray that comes after the program gets its icon.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "platform/SettingsStore.h"
#include "support/DesktopDriver.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"
#include "support/WindowProbe.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

using namespace klipo;
using test::WindowProbe;

namespace {

using test::pressKeys;
using test::xdotool;

constexpr qint64 kEveryDesktop = 0xFFFFFFFF;

// Another program's window at `place`, white with a few Spanish lines;
// active once shown.
class OtherProgram {
public:
    explicit OtherProgram(QRect place)
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        m_process.start(KLIPO_FOREIGN_WINDOW,
                        {"--at", at, "El gato duerme en la casa grande.", "Mi hermano trabaja en la ciudad."});
        shown = m_process.waitForReadyRead(10000) && m_process.readAll().contains("shown");
        WindowProbe probe;
        (void)QTest::qWaitFor([&] { return !probe.windowsOf(m_process.processId()).isEmpty(); }, 5000);
        if (!probe.windowsOf(m_process.processId()).isEmpty()) window = probe.windowsOf(m_process.processId()).last();
    }
    ~OtherProgram()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    // A click into it, as the user switches to it.
    void clickAt(QPoint point) const
    {
        xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
    }

    bool shown = false;
    xcb_window_t window = XCB_WINDOW_NONE;

private:
    QProcess m_process;
};

// Serves `file` as the clipboard's `target` from xclip, in the background.
void copyToClipboard(const QString& target, const QString& file)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("xclip", {"-selection", "clipboard", "-t", target, "-i", file});
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0);
}

// Share of the pixels of `area` on the screen within 40 of `colour`.
double shareLike(QRect area, const QColor& colour)
{
    const QImage image = test::screenImage(area);
    if (image.isNull() || image.width() * image.height() == 0) return 0;
    return 1.0 - double(test::pixelsUnlike(image, colour, 40)) / (image.width() * image.height());
}

std::string describe(WindowProbe& probe, xcb_window_t w)
{
    if (w == XCB_WINDOW_NONE) return "no window";
    return QStringLiteral("\"%1\" type %2 states %3 desktop %4")
        .arg(probe.title(w), probe.types(w).join(','), probe.states(w).join(','))
        .arg(probe.desktop(w))
        .toStdString();
}

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

class FloatingWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        auto& settings = platform::SettingsStore::shared();
        settings.setValue("plainCaptureDirectory", m_folder);
        settings.setValue("targetLanguage", "en");
        GlobalShortcuts::setShortcut(
            GlobalShortcuts::Shortcut(GlobalShortcuts::Key::p, Qt::ControlModifier | Qt::ShiftModifier),
            GlobalShortcuts::Name::pinFromClipboard());
        QImage picture(240, 160, QImage::Format_RGB32);
        picture.fill(kPinColour);
        ASSERT_TRUE(picture.save(m_folder + "/pin.png"));
        QFile words(m_folder + "/words.txt");
        ASSERT_TRUE(words.open(QIODevice::WriteOnly) && words.write("只有文字") > 0);
    }
    void TearDown() override
    {
        quit();
        auto& settings = platform::SettingsStore::shared();
        for (const char* key : {"plainCaptureDirectory", "targetLanguage", "menuBarOnly"}) settings.remove(key);
        GlobalShortcuts::setShortcut(std::nullopt, GlobalShortcuts::Name::pinFromClipboard());
    }

    // Starts the program, with its library window open or not; true once it
    // answers as the running instance. On this desktop, or another one's
    // display and session bus.
    bool launch(bool libraryOpen, QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
    {
        platform::SettingsStore::shared().setValue("menuBarOnly", !libraryOpen);
        const QString tmp = test::freshDir("tmp");
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", tmp);
        m_app.setProcessEnvironment(env);
        m_app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_app.start(KLIPO_BINARY, {});
        const QString socket = tmp + QStringLiteral("/klipoversa-%1/instance.sock").arg(::getuid());
        if (!m_app.waitForStarted() || !QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10000)) return false;
        return !libraryOpen || QTest::qWaitFor([&] { return library() != XCB_WINDOW_NONE; }, 10000);
    }

    void quit()
    {
        if (m_app.state() == QProcess::NotRunning) return;
        m_app.terminate();
        if (!m_app.waitForFinished(10000)) m_app.kill();
    }

    // Our windows titled "KlipoVersa" whose size passes `fits`.
    xcb_window_t ours(const std::function<bool(QSize)>& fits)
    {
        for (xcb_window_t w : m_probe.windowsOf(m_app.processId(), QStringLiteral("KlipoVersa")))
            if (fits(m_probe.shownGeometry(w).size())) return w;
        return XCB_WINDOW_NONE;
    }
    xcb_window_t library()
    {
        return ours([](QSize s) { return s.width() >= 800 && s.height() >= 500; });
    }
    xcb_window_t toast()
    {
        return ours([](QSize s) { return s == QSize(320, 80); });
    }
    xcb_window_t resultPanel()
    {
        return ours(
            [](QSize s) { return s.width() >= 460 && s.height() >= 138 && s.width() < 1800 && s != QSize(900, 600); });
    }
    xcb_window_t bar(bool options)
    {
        return ours([options](QSize s) { return s.height() < 100 && (options ? s.width() >= 400 : s.width() < 400); });
    }
    xcb_window_t pin()
    {
        const auto pins = m_probe.windowsOf(m_app.processId(), QStringLiteral("贴图"));
        return pins.isEmpty() ? xcb_window_t(XCB_WINDOW_NONE) : pins.last();
    }

    // Presses a hot key until `done` (the first presses may come before the
    // program has taken its keys; a busy compositor may take a while to show).
    static bool pressUntil(const QString& keys, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            pressKeys(keys);
            if (QTest::qWaitFor(done, 2000)) return true;
        }
        return false;
    }

    // Pins the red picture from the clipboard under the pointer at `at`.
    void pinPicture(QPoint at)
    {
        QCursor::setPos(at);
        ASSERT_NO_FATAL_FAILURE(copyToClipboard("image/png", m_folder + "/pin.png"));
        ASSERT_TRUE(pressUntil("ctrl+shift+p", [&] { return pin() != XCB_WINDOW_NONE && m_probe.isShown(pin()); }))
            << "no pin showed";
        QTest::qWait(300);
        ASSERT_EQ(m_probe.windowsOf(m_app.processId(), QStringLiteral("贴图")).size(), 1) << "pinned twice";
    }

    // Whether the pin is shown and its picture is on the screen (above the
    // badge that flashes at its bottom).
    bool pinOnScreen()
    {
        const xcb_window_t w = pin();
        if (w == XCB_WINDOW_NONE || !m_probe.isShown(w)) return false;
        const QRect area = m_probe.shownGeometry(w);
        return shareLike(area.adjusted(8, 8, -8, -area.height() / 2), kPinColour) > 0.95;
    }

    // Kept on every desktop, above ordinary windows, out of the task bar and the pager.
    ::testing::AssertionResult floatsEverywhere(xcb_window_t w)
    {
        if (w == XCB_WINDOW_NONE) return ::testing::AssertionFailure() << "no window";
        const QStringList states = m_probe.states(w);
        if (m_probe.desktop(w) == kEveryDesktop && states.contains("ABOVE") && states.contains("SKIP_TASKBAR") &&
            states.contains("SKIP_PAGER"))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << describe(m_probe, w);
    }

    ::testing::AssertionResult noneDemandsAttention()
    {
        for (xcb_window_t w : m_probe.windowsOf(m_app.processId()))
            if (m_probe.demandsAttention(w)) return ::testing::AssertionFailure() << describe(m_probe, w);
        return ::testing::AssertionSuccess();
    }

    static inline const QColor kPinColour{190, 30, 150};
    const QString m_folder = test::freshDir("floating");
    QProcess m_app;
    WindowProbe m_probe;
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
        desktop.start(trayer, "trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "24"});
        ASSERT_TRUE(trayer.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return probe.hasEmbeddedWindow(m_app.processId()); }, 10000))
            << "the tray has no icon of ours";
        trayer.terminate();
        ASSERT_TRUE(trayer.waitForFinished(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return probe.selectionOwner("_NET_SYSTEM_TRAY_S0") == XCB_WINDOW_NONE; }, 5000));
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
    EXPECT_TRUE(QTest::qWaitFor([&] {
        said += watcher.readAllStandardOutput();
        return said.contains("item ");
    }, 10000)) << said.constData();
    watcher.terminate();
    watcher.waitForFinished(5000);
    quit();
}
