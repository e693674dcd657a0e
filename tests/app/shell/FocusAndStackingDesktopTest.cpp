// Which window the program picks, raises and hands the keys to, under the
// window manager of the headless desktop, read from outside: the result of a
// full-screen translation comes in front with the keys and Esc gives them
// back; the library window stays behind the program that covered it through
// every kind of capture; a click picks what shows of a window that draws its
// own frame and shadow, and a click in that shadow the window below.
#include "FloatingWindowsFixture.h"

using namespace klipo;
using namespace klipo::test;

namespace {

class FocusAndStacking : public FloatingWindows {
protected:
    // The windows bottom to top, ours named, the active one starred, for a failure message.
    std::string stacking()
    {
        QStringList names;
        for (xcb_window_t w : m_probe.stackingBottomToTop()) {
            QString name = w == library() ? "library" : w == resultPanel() ? "result panel" : m_probe.title(w);
            if (name.isEmpty()) name = QString::number(w);
            names << (w == m_probe.activeWindow() ? name + "*" : name);
        }
        return names.join(", ").toStdString();
    }

    bool below(xcb_window_t lower, xcb_window_t upper)
    {
        const qsizetype at = m_probe.stackPosition(lower);
        return at >= 0 && at < m_probe.stackPosition(upper);
    }

    // Full-screen translation of the screen under the pointer; true once its
    // panel is up with the keys.
    bool showResultPanel()
    {
        QCursor::setPos(500, 400);
        pressKeys("ctrl+shift+f");  // once: a second press would take the screen again
        return QTest::qWaitFor([&] { return resultPanel() != XCB_WINDOW_NONE && m_probe.isShown(resultPanel()); },
                               20000) &&
               QTest::qWaitFor([&] { return m_probe.hasKeyboard(resultPanel()); }, 3000);
    }

    // Starts a terminal (xterm, which names no user time) at `place`; its
    // window once it has the keys, none otherwise.
    xcb_window_t startTerminal(QProcess& terminal, const QString& place)
    {
        const QList<xcb_window_t> before = m_probe.stackingBottomToTop();
        terminal.start("xterm", {"-geometry", place});
        xcb_window_t window = XCB_WINDOW_NONE;
        (void)QTest::qWaitFor(
            [&] {
                for (xcb_window_t w : m_probe.stackingBottomToTop())
                    if (!before.contains(w)) window = w;
                return window != XCB_WINDOW_NONE && m_probe.activeWindow() == window;
            },
            10000);
        return m_probe.activeWindow() == window ? window : xcb_window_t(XCB_WINDOW_NONE);
    }

    // The clipboard's picture, as another program reads it.
    static QImage clipboardPicture()
    {
        return QImage::fromData(programOutput("xclip", {"-selection", "clipboard", "-t", "image/png", "-o"}), "PNG");
    }
};

}  // namespace

// mutter keeps a window shown without the user's latest input below the
// focused window; the panel, asked to the front before it was shown, kept
// the keys there, behind the program.
TEST_F(FocusAndStacking, fullScreenResult_ComesInFrontWithTheKeys_BesideTheProgramWithTheLatestInput)
{
    ASSERT_TRUE(launch(true));
    OtherProgram other(QRect(100, 100, 1300, 800), {"--latest-input"});
    ASSERT_TRUE(other.shown);
    ASSERT_TRUE(showResultPanel()) << stacking();
    const xcb_window_t panel = resultPanel();
    QTest::qWait(800);  // what the window manager does once it has the window
    EXPECT_TRUE(below(other.window, panel)) << stacking();
    EXPECT_EQ(m_probe.activeWindow(), panel) << stacking();
    EXPECT_TRUE(m_probe.hasKeyboard(panel)) << "the keys go to window " << m_probe.keyboardFocus();
}

// xfwm4 gave the keys to the library window, and raised it over the program
// the user came from.
TEST_F(FocusAndStacking, fullScreenResult_ClosedWithEsc_GivesTheKeysBack_AndLeavesTheLibraryBehind)
{
    ASSERT_TRUE(launch(true));
    OtherProgram other(QRect(100, 100, 1300, 800));
    ASSERT_TRUE(other.shown);
    ASSERT_TRUE(below(library(), other.window)) << stacking();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first panel" : "second panel");
        ASSERT_TRUE(showResultPanel()) << stacking();
        pressKeys("Escape");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_probe.isShown(resultPanel()); }, 3000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_probe.hasKeyboard(other.window); }, 3000)) << stacking();
        QTest::qWait(800);
        EXPECT_EQ(m_probe.activeWindow(), other.window) << stacking();
        EXPECT_TRUE(below(library(), other.window)) << stacking();
        QCursor::setPos(1700, 950);
        const QString typed = round == 0 ? "a" : "b";
        pressKeys(typed);
        EXPECT_TRUE(QTest::qWaitFor([&] { return other.gotKey(typed); }, 3000)) << "the key went elsewhere";
    }
}

// Each road hides our windows for its grab or covers them, and shows them
// again: window managers put a window shown again on top (xfwm4) or right
// below the focused one (mutter), and hand the focus to a window of ours when
// the overlay goes (mutter, from a terminal).
TEST_F(FocusAndStacking, captures_LeaveTheLibraryBehindTheProgramsThatCoveredIt)
{
    ASSERT_TRUE(launch(true));
    OtherProgram other(QRect(100, 100, 1300, 800));
    ASSERT_TRUE(other.shown);
    QProcess terminalProcess;
    const xcb_window_t terminal = startTerminal(terminalProcess, "80x16+300+700");
    ASSERT_NE(terminal, xcb_window_t(XCB_WINDOW_NONE)) << stacking();
    ASSERT_TRUE(below(library(), other.window)) << stacking();
    ASSERT_NO_FATAL_FAILURE(copyToClipboard("image/png", m_folder + "/pin.png"));
    const struct {
        const char* name;
        const char* hotKey;
        bool overlay;
        const char* endKey;
    } roads[] = {{"plain capture", "ctrl+shift+s", true, "Return"},
                 {"translation left with Esc", "ctrl+shift+t", true, "Escape"},
                 {"plain capture again", "ctrl+shift+s", true, "Return"},
                 {"pin from the clipboard", "ctrl+shift+p", false, nullptr},
                 {"plain capture once more", "ctrl+shift+s", true, "Return"}};
    for (const auto& road : roads) {
        SCOPED_TRACE(road.name);
        if (road.overlay) {
            ASSERT_TRUE(pressUntil(road.hotKey, overlayShown)) << "no overlay";
            QTest::qWait(300);
            xdotool({"mousemove", "300", "250", "mousedown", "1", "mousemove", "500", "350", "mousemove", "800", "500",
                     "mouseup", "1"});
            QTest::qWait(500);
            pressKeys(road.endKey);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 5000));
        } else {
            ASSERT_TRUE(pressUntil(road.hotKey, [&] { return pin() != XCB_WINDOW_NONE; })) << "no pin";
        }
        QTest::qWait(1500);  // the window manager settles
        EXPECT_TRUE(below(library(), other.window)) << stacking();
        EXPECT_TRUE(below(other.window, terminal)) << stacking();
        EXPECT_EQ(m_probe.activeWindow(), terminal) << stacking();
    }
    terminalProcess.terminate();
    terminalProcess.waitForFinished(5000);
}

// Chromium and GTK programs draw their own frame with a wide, translucent
// shadow and name it in _GTK_FRAME_EXTENTS: a click in that shadow took the
// program for the one picked, and its picture had the shadow's strips of
// whatever lay below.
TEST_F(FocusAndStacking, windowPicking_TakesWhatShowsOfAWindowThatDrawsItsOwnFrame_AndTheWindowBelowItsShadow)
{
    ASSERT_TRUE(launch(false));
    OtherProgram behind(QRect(300, 880, 900, 150));
    ASSERT_TRUE(behind.shown);
    OtherProgram framed(QRect(100, 100, 1300, 800), {"--shadow", "16,16,10,32"});
    ASSERT_TRUE(framed.shown);
    QTest::qWait(300);
    const QRect framedShown = m_probe.shownGeometry(framed.window);
    const QRect framedAll = m_probe.geometry(framed.window);
    const QRect behindFrame = m_probe.frameGeometry(behind.window);
    ASSERT_EQ(framedAll.size(), QSize(1300, 800));
    // In the shadow under the framed window, over the window behind it.
    const QPoint inShadow(behindFrame.center().x(), (framedShown.bottom() + framedAll.bottom()) / 2);
    ASSERT_TRUE(behindFrame.contains(inShadow) && !framedShown.contains(inShadow)) << behindFrame.y();

    const struct {
        const char* what;
        QPoint click;
        QSize picture;
    } picks[] = {{"the framed window", framedShown.center(), framedShown.size()},
                 {"the window below its shadow", inShadow, behindFrame.size()}};
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.what);
        ASSERT_TRUE(pressUntil("ctrl+shift+s", overlayShown)) << "no overlay";
        QTest::qWait(300);
        xdotool({"mousemove", QString::number(pick.click.x()), QString::number(pick.click.y())});
        QTest::qWait(200);
        xdotool({"click", "1"});
        QTest::qWait(300);
        pressKeys("Return");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !overlayShown(); }, 5000));
        QImage picture;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (picture = clipboardPicture()).size() == pick.picture; }, 5000))
            << "copied " << picture.width() << "x" << picture.height() << ", not " << pick.picture.width() << "x"
            << pick.picture.height();
    }
}
