#pragma once

// The program as a process beside other programs' windows, under whichever
// window manager runs the headless desktop, read from outside as a task bar
// or pager reads it: the shared set-up of the floating-window checks.
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
#include <QTest>

#include <unistd.h>

namespace klipo::test {

inline constexpr qint64 kEveryDesktop = 0xFFFFFFFF;

// Another program's window at `place`, white with a few Spanish lines;
// active once shown. `options`: those of klipo_foreign_window.
class OtherProgram {
public:
    explicit OtherProgram(QRect place, const QStringList& options = {})
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        m_process.start(KLIPO_FOREIGN_WINDOW,
                        QStringList{"--at", at} + options +
                            QStringList{"El gato duerme en la casa grande.", "Mi hermano trabaja en la ciudad."});
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

    // Whether a key with `text` has been typed into it.
    bool gotKey(const QString& text)
    {
        m_output += m_process.readAllStandardOutput();
        return m_output.contains(QStringLiteral("\nkey %1\n").arg(text).toUtf8());
    }

    bool shown = false;
    xcb_window_t window = XCB_WINDOW_NONE;

private:
    QProcess m_process;
    QByteArray m_output = "\n";
};

// Serves `file` as the clipboard's `target` from xclip, in the background.
inline void copyToClipboard(const QString& target, const QString& file)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("xclip", {"-selection", "clipboard", "-t", target, "-i", file});
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0);
}

// Share of the pixels of `area` on the screen within 40 of `colour`.
inline double shareLike(QRect area, const QColor& colour)
{
    const QImage image = test::screenImage(area);
    if (image.isNull() || image.width() * image.height() == 0) return 0;
    return 1.0 - double(test::pixelsUnlike(image, colour, 40)) / (image.width() * image.height());
}

inline std::string describe(WindowProbe& probe, xcb_window_t w)
{
    if (w == XCB_WINDOW_NONE) return "no window";
    return QStringLiteral("\"%1\" type %2 states %3 desktop %4")
        .arg(probe.title(w), probe.types(w).join(','), probe.states(w).join(','))
        .arg(probe.desktop(w))
        .toStdString();
}

// The program started as the user starts it, with a folder for its captures
// and a shortcut for pinning the clipboard.
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
        for (const char* key : {"plainCaptureDirectory", "targetLanguage", "menuBarOnly", "selCaptureOverlayEnabled"})
            settings.remove(key);
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

    // A full-screen window of ours (the overlay, the region picker) is up.
    static bool overlayShown()
    {
        const QString ids = test::xdotoolOutput({"search", "--onlyvisible", "--name", "^KlipoVersa$"});
        for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
            if (test::xdotoolOutput({"getwindowgeometry", id}).contains("1920x1080")) return true;
        return false;
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

}  // namespace klipo::test
