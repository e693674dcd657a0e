// The real shell on the headless desktop: the program as a process (quit on
// SIGTERM, a second launch), hot keys through the real shortcut store, the
// result panel over another program's full-screen window, and a full-screen
// translation with our own windows open.
#include "app/shell/AppDelegate.h"
#include "app/shell/OverlayWiring.h"
#include "app/shell/RealShellServices.h"
#include "library/HistoryWindow.h"
#include "library/LibraryWindow.h"
#include "library/history/HistoryRecordModel.h"
#include "library/history/HistorySection.h"
#include "app/CaptureHUDController.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelMessageCard.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "platform/SettingsStore.h"
#include "platform/SystemTrayIcon.h"
#include "preferences/PrefsCaptureTab.h"
#include "preferences/SettingsWindow.h"
#include "platform/text/TesseractRecognizer.h"
#include "platform/text/TextServices.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "stores/HistoryStore.h"
#include "support/DesktopDriver.h"
#include "support/ScreenProbe.h"
#include "support/WindowProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace klipo;

namespace {

using test::pressKeys;
using test::xdotoolOutput;

void clickAt(QPoint point)
{
    test::xdotool({"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"});
}

// Another program's window, white with the given lines: full-screen and
// focused, or an ordinary window at `place`.
class ForeignWindow {
public:
    explicit ForeignWindow(const QStringList& lines, QRect place = {})
    {
        const QString at =
            QStringLiteral("%1,%2,%3,%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
        m_process.start(KLIPO_FOREIGN_WINDOW, (place.isValid() ? QStringList{"--at", at} : QStringList()) + lines);
        shown = m_process.waitForReadyRead(10000) && m_process.readAll().contains("shown");
        QTest::qWait(200);  // let the X server draw it
    }
    ~ForeignWindow()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool shown = false;

private:
    QProcess m_process;
};

// The share of the panel's pixels that the screen shows where the panel is:
// near 1 when nothing covers it.
double visibleShare(QWidget* panel)
{
    const QImage own = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect area = panel->geometry();
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    if (screen.size() != own.size()) return 0;
    qint64 same = 0;
    for (int y = 0; y < own.height(); y += 4)
        for (int x = 0; x < own.width(); x += 4) same += own.pixel(x, y) == screen.pixel(x, y);
    return double(same) / (((own.height() + 3) / 4) * ((own.width() + 3) / 4));
}

// Starts the program, which keeps its socket and pictures below `tmp`.
void startProgram(QProcess& app, const QString& tmp)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.insert(QStringLiteral("TMPDIR"), tmp);
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(KLIPO_BINARY), {});
    ASSERT_TRUE(app.waitForStarted());
}

}  // namespace

// The program itself: SIGTERM goes through the normal quit, which removes the
// enlarged view's picture and the single-instance socket. Runs first, before
// this test process holds any hot key itself.
TEST(ShellProcess, sigterm_QuitsNormally_AndLeavesNoPictureOrSocketBehind)
{
    if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    const QString tmp = test::freshDir("tmp");
    // The library window and the launch notice of a target language that
    // cannot be translated into, which have the panel's title, stay closed.
    platform::SettingsStore::shared().setValue(QStringLiteral("menuBarOnly"), true);
    platform::SettingsStore::shared().setValue(QStringLiteral("targetLanguage"), QStringLiteral("en"));
    const auto restore = qScopeGuard([] {
        platform::SettingsStore::shared().remove(QStringLiteral("menuBarOnly"));
        platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
    });
    QProcess app;
    ASSERT_NO_FATAL_FAILURE(startProgram(app, tmp));
    const QString socket = tmp + QStringLiteral("/klipoversa-%1/instance.sock").arg(::getuid());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket); }, 10000));

    // Full-screen translation, then "放大查看" from the keyboard.
    QString panel;
    for (int attempt = 0; attempt < 20 && panel.isEmpty(); ++attempt) {
        pressKeys(QStringLiteral("ctrl+shift+f"));
        (void)QTest::qWaitFor(
            [&] { return !(panel = xdotoolOutput({"search", "--onlyvisible", "--name", "^KlipoVersa$"})).isEmpty(); }, 1000);
    }
    ASSERT_FALSE(panel.isEmpty()) << "the result panel never showed";
    QTest::qWait(500);
    QMap<QString, int> geometry;
    for (const QString& line : xdotoolOutput({"getwindowgeometry", "--shell", panel.section('\n', 0, 0)}).split('\n'))
        geometry[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    clickAt({geometry["X"] + geometry["WIDTH"] / 2, geometry["Y"] + geometry["HEIGHT"] / 2});
    QTest::qWait(300);
    pressKeys(QStringLiteral("Tab Tab space"));  // the third button
    QStringList pictures;
    const auto findPictures = [&] {
        pictures.clear();
        for (const QFileInfo& folder : QDir(tmp).entryInfoList({"klipoversa-*"}, QDir::Dirs))
            for (const QFileInfo& file : QDir(folder.filePath()).entryInfoList({"*.png"}, QDir::Files))
                pictures << file.filePath();
        return !pictures.isEmpty();
    };
    ASSERT_TRUE(QTest::qWaitFor(findPictures, 5000)) << "no enlarged view was written";
    const auto others = QFileDevice::ReadGroup | QFileDevice::ReadOther;
    EXPECT_FALSE(QFileInfo(pictures[0]).permissions() & others);
    EXPECT_FALSE(QFileInfo(QFileInfo(pictures[0]).path()).permissions() & others);

    app.terminate();  // SIGTERM
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_FALSE(findPictures()) << qPrintable(pictures.join(' '));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(pictures.value(0)).path()));
    EXPECT_FALSE(QFileInfo::exists(socket));
}

// The program opens its library window at launch, with the program's own
// icon; a second launch brings it back in front of another program's window,
// active.
TEST(ShellProcess, secondLaunch_RaisesAndActivatesTheLibraryWindow_WhichShowsTheProgramsIcon)
{
    if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    const QString tmp = test::freshDir("second-launch");
    platform::SettingsStore::shared().remove(QStringLiteral("menuBarOnly"));
    QProcess app;
    ASSERT_NO_FATAL_FAILURE(startProgram(app, tmp));
    const auto activeName = [] { return xdotoolOutput({"getactivewindow", "getwindowname"}); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeName() == QStringLiteral("KlipoVersa"); }, 10000));
    const QString icon = QString::fromLatin1(
        test::programOutput("xprop", {"-id", xdotoolOutput({"getactivewindow"}), "_NET_WM_ICON"}));
    EXPECT_TRUE(icon.contains("Icon (16 x 16)") && icon.contains("Icon (64 x 64)")) << qPrintable(icon.left(200));

    ForeignWindow other({QStringLiteral("another program")}, QRect(200, 150, 1400, 800));
    ASSERT_TRUE(other.shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return activeName() != QStringLiteral("KlipoVersa"); }, 5000));

    QProcess second;
    ASSERT_NO_FATAL_FAILURE(startProgram(second, tmp));
    EXPECT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeName() == QStringLiteral("KlipoVersa"); }, 5000));
    app.terminate();
    EXPECT_TRUE(app.waitForFinished(10000));
}

// One launch of the shell for the tests below: the hot keys are grabbed once.
class ShellOnDesktop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display()) return;
        s_services = new RealShellServices;
        s_tray = new platform::SystemTrayIcon;
        s_delegate = new AppDelegate(*s_services, s_tray);
        wireOverlay(*s_delegate, *s_services);
        s_delegate->applicationDidFinishLaunching();
    }
    static void TearDownTestSuite()
    {
        if (s_delegate) s_delegate->applicationWillTerminate();
        delete s_delegate;
        delete s_tray;
        delete s_services;
        s_delegate = nullptr;
    }
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
    }

    static SelOverlayController& overlay() { return SelOverlayController::shared(); }
    static quint64 activeWindow() { return xdotoolOutput({"getactivewindow"}).toULongLong(); }
    // Shows one of our windows and gives it the focus, as the user's click would.
    static bool focus(QWidget* window)
    {
        window->show();
        QTest::qWait(300);  // a window being shown takes the focus late
        // A window manager kept busy by other desktops may drop a request: asked up to three times.
        for (int ask = 0; ask < 3; ++ask) {
            test::xdotool({"windowactivate", "--sync", QString::number(window->winId())});
            if (QTest::qWaitFor([&] { return activeWindow() == window->winId(); }, 3000)) return true;
        }
        return false;
    }
    // Ctrl+Shift+T: the overlay is up, and still up 1.2 s after the press.
    static bool overlayStaysUp()
    {
        if (!pressKeys(QStringLiteral("ctrl+shift+t"))) return false;
        QTest::qWait(1200);
        return overlay().isActive() && overlay().windows().size() == 1;
    }

    // The hot key, a drag over `area` once the overlay shows, then Return.
    static void selectAndPressReturn(const QString& hotKey, const QRect& area)
    {
        ASSERT_TRUE(pressKeys(hotKey));
        ASSERT_TRUE(QTest::qWaitFor(
            [] { return overlay().isActive() && overlay().windows().size() == 1 && overlay().windows()[0]->isVisible(); },
            5000));
        QTest::qWait(300);
        const auto at = [](QPoint p) { return QStringList{QString::number(p.x()), QString::number(p.y())}; };
        ASSERT_TRUE(test::xdotool(QStringList{"mousemove"} + at(area.topLeft()) + QStringList{"mousedown", "1", "mousemove"} +
                                  at(area.center()) + QStringList{"mousemove"} + at(area.bottomRight()) +
                                  QStringList{"mouseup", "1"}));
        ASSERT_TRUE(QTest::qWaitFor([] { return overlay().phase() == SelPhase::editing; }, 3000));
        ASSERT_TRUE(pressKeys(QStringLiteral("Return")));
    }

    static inline RealShellServices* s_services = nullptr;
    static inline platform::SystemTrayIcon* s_tray = nullptr;
    static inline AppDelegate* s_delegate = nullptr;
};

// Over a focused full-screen window the panel shows in front, with the
// keyboard: Esc closes it straight away. It stays inside the screen's free
// area, clear of the tray host at the bottom (which reserves no room), and a
// window opened meanwhile (the preferences) comes in front of it.
TEST_F(ShellOnDesktop, resultPanel_ShowsAboveAFocusedFullScreenWindow_WithTheFocus_ClearOfTheTray_AndEscClosesIt)
{
    ForeignWindow video({QStringLiteral("El gato duerme en la casa grande.")});
    ASSERT_TRUE(video.shown);
    auto& controller = ResultPanelController::shared();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect tray;  // the tray host's window (trayer, 24 points at the bottom right)
    for (const QString& id : xdotoolOutput({"search", "--onlyvisible", "--name", "^panel$"}).split('\n')) {
        QMap<QString, int> g;
        for (const QString& line : xdotoolOutput({"getwindowgeometry", "--shell", id}).split('\n'))
            g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        if (g["HEIGHT"] > 0 && g["Y"] + g["HEIGHT"] >= screen.bottom()) tray = QRect(g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]);
    }
    for (const QPoint pointer : {QPoint(300, 300), QPoint(screen.right() - 5, screen.bottom() - 5)}) {
        SCOPED_TRACE(pointer.x());
        QCursor::setPos(pointer);
        ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+f")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel() && controller.panel()->isVisible(); }, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.model().isTranslating(); }, 30000));
        QWidget* panel = controller.panel();

        double share = 0;
        (void)QTest::qWaitFor([&] { return (share = visibleShare(panel)) > 0.95; }, 3000);
        EXPECT_GT(share, 0.95) << "the panel is hidden behind the full-screen window";
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->isActiveWindow(); }, 3000));
        // Placed once more with its frame, once the window manager has framed it.
        const auto placed = [&] {
            return screen.contains(panel->frameGeometry()) &&
                   (tray.isEmpty() || !panel->frameGeometry().intersects(tray));
        };
        (void)QTest::qWaitFor(placed, 2000);
        EXPECT_TRUE(screen.contains(panel->frameGeometry()));
        if (!tray.isEmpty()) {
            EXPECT_FALSE(panel->frameGeometry().intersects(tray)) << panel->frameGeometry().bottom();
        }
        ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isVisible(); }, 3000));
    }
    EXPECT_FALSE(tray.isEmpty()) << "no tray host on the desktop";

    // The preferences opened while the panel shows come in front of it.
    QCursor::setPos(700, 400);
    ASSERT_TRUE(pressKeys(QStringLiteral("ctrl+shift+f")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel()->isActiveWindow(); }, 10000));
    SettingsWindowController::shared().show();
    QWidget* settings = SettingsWindowController::shared().window();
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings->isActiveWindow(); }, 3000));
    QTest::qWait(300);
    EXPECT_GT(visibleShare(settings), 0.95) << "the preferences are under the panel";
    settings->hide();
    controller.panel()->close();
}

// The result panel and the library window both bear the program's name; the
// panel has no task-bar entry of its own, so the task bar shows one.
TEST_F(ShellOnDesktop, resultPanel_BearsTheProgramsName_WithoutATaskBarEntryBesideTheLibrarys)
{
    HistoryWindowController::shared().show();
    QImage capture(400, 200, QImage::Format_RGB32);
    capture.fill(Qt::white);
    auto& controller = ResultPanelController::shared();
    controller.show(capture, {}, 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.panel() && controller.panel()->isVisible(); }, 5000));
    test::WindowProbe probe;
    const auto listed = [&](QWidget* window) {
        return !probe.states(xcb_window_t(window->winId())).contains(QStringLiteral("SKIP_TASKBAR"));
    };
    QWidget* library = HistoryWindowController::shared().window();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !listed(controller.panel()); }, 3000));
    EXPECT_TRUE(listed(library));
    EXPECT_EQ(controller.panel()->windowTitle(), QStringLiteral("KlipoVersa"));
    EXPECT_EQ(library->windowTitle(), QStringLiteral("KlipoVersa"));
    controller.panel()->close();
}

// X11 cannot leave our own windows out of a grab: the library window (open
// at launch) must not end up in the picture that is translated.
TEST_F(ShellOnDesktop, fullScreenTranslation_LeavesOurLibraryWindowOutOfThePicture)
{
    auto& settings = platform::SettingsStore::shared();
    settings.setValue(QStringLiteral("targetLanguage"), QStringLiteral("en"));
    ForeignWindow page({QStringLiteral("El gato duerme en la casa grande."),
                        QStringLiteral("Mi hermano trabaja en la ciudad."),
                        QStringLiteral("Los perros comen en el jardin.")},
                       QRect(0, 0, 1900, 1000));
    ASSERT_TRUE(page.shown);
    HistoryWindowController::shared().show();
    QWidget* library = HistoryWindowController::shared().window();
    ASSERT_NE(library, nullptr);
    library->move(60, 300);  // over the third line
    library->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(library));
    QTest::qWait(300);

    std::optional<std::optional<ShellCapture>> captured;
    s_services->captureForTranslation(ShellCaptureMode::fullScreen,
                                      [&](std::optional<ShellCapture> capture) { captured = capture; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return captured.has_value(); }, 10000));
    ASSERT_TRUE(captured->has_value());
    EXPECT_TRUE(library->isVisible()) << "the library window did not come back";

    auto& controller = ResultPanelController::shared();
    QSignalSpy changes(&controller.model(), &ResultModel::changed);
    s_services->recognizeAndShowResult(**captured);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes.count() > 0 && !controller.model().isTranslating(); }, 60000));
    const QString english = controller.model().translatedJoined().toLower();
    EXPECT_EQ(controller.model().status(), QString()) << qPrintable(controller.model().status());
    EXPECT_TRUE(english.contains("cat") && english.contains("dog")) << qPrintable(english);
    settings.remove(QStringLiteral("targetLanguage"));
    library->hide();
}

// The hot key pressed in our library or settings window or with the tray menu
// open: our windows hidden for the freeze, shown and focused again never count
// as the user leaving, and the menu is gone from the frozen still; another
// program taking the focus ends the overlay.
TEST_F(ShellOnDesktop, overlayFromOurOwnWindowsOrTrayMenu_StaysUpUntilEsc_WhichGivesThemTheFocusBack)
{
    const QRect elsewhere(1000, 250, 900, 700);
    ForeignWindow other({QStringLiteral("another program"), QStringLiteral("under the menu")}, elsewhere);
    ASSERT_TRUE(other.shown);
    HistoryWindowController::shared().show();
    QWidget* library = HistoryWindowController::shared().window();
    SettingsWindowController::shared().show();
    QWidget* settings = SettingsWindowController::shared().window();
    ASSERT_TRUE(library && settings);
    library->move(60, 60);
    settings->move(400, 200);
    for (const auto& [window, presses] : {std::pair{library, 8}, std::pair{settings, 3}}) {
        ASSERT_TRUE(focus(window));
        for (int press = 1; press <= presses; ++press) {
            SCOPED_TRACE(window->windowTitle().toStdString() + " press " + std::to_string(press));
            EXPECT_TRUE(overlayStaysUp());
            ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
            EXPECT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
            EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == window->winId(); }, 3000));
        }
    }

    settings->hide();
    QTest::qWait(300);
    const QImage before = test::screenImage();
    QMenu* menu = s_delegate->menu();
    menu->popup(QPoint(1500, 500));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::qWait(300);
    const QRect area = menu->geometry();
    ASSERT_TRUE(elsewhere.contains(area));
    EXPECT_TRUE(overlayStaysUp());
    EXPECT_FALSE(menu->isVisible());
    ASSERT_EQ(overlay().windows().size(), 1);
    const QImage still = overlay().windows()[0]->frozenImage().copy(area).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(test::differingPixels(still, before.copy(area)), 0) << "the still holds the menu";

    test::xdotool({"windowactivate", QString::number(library->winId())});
    QTest::qWait(1000);
    EXPECT_TRUE(overlay().isActive());
    ForeignWindow intruder({QStringLiteral("a program that takes the focus")}, QRect(300, 300, 700, 400));
    EXPECT_TRUE(intruder.shown);
    EXPECT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
}

// The engines load from the key press on, even with no picture handed on for reading.
TEST_F(ShellOnDesktop, fullScreenCommand_LoadsTheRecognitionEngines_WhileTheScreenIsTaken)
{
    auto* recognizer = dynamic_cast<platform::TesseractRecognizer*>(platform::textServices().recognizer);
    ASSERT_NE(recognizer, nullptr);
    recognizer->freeIdleEngines();
    ASSERT_EQ(recognizer->loadedEngines(), 0);
    std::optional<std::optional<ShellCapture>> captured;
    s_services->captureForTranslation(ShellCaptureMode::fullScreen,
                                      [&](std::optional<ShellCapture> capture) { captured = capture; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return captured.has_value(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return recognizer->loadedEngines() > 0; }, 10000));
}

// A plain screenshot through the default road (Control-Shift-S, the overlay,
// Return copies) is found in the library by a word it shows.
TEST_F(ShellOnDesktop, plainCaptureThroughTheOverlay_IsFoundInTheLibraryByAWordItShows)
{
    ForeignWindow page({QStringLiteral("Drucker"), QStringLiteral("Tintenpatrone")}, QRect(150, 150, 900, 400));
    ASSERT_TRUE(page.shown);
    const qsizetype before = HistoryStore::shared().allRecords().size();
    ASSERT_NO_FATAL_FAILURE(selectAndPressReturn(QStringLiteral("ctrl+shift+s"), QRect(200, 200, 600, 280)));
    ASSERT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return HistoryStore::shared().allRecords().size() == before + 1; }, 5000));
    const QUuid id = HistoryStore::shared().allRecords().first().id;
    const auto text = [] { return HistoryStore::shared().allRecords().first().originalText; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return text().contains(QStringLiteral("Drucker")); }, 60000))
        << qPrintable(text());

    HistoryWindowController::shared().show(LibrarySection::history);
    auto* history = HistoryWindowController::shared().window()->findChild<HistorySection*>();
    ASSERT_TRUE(history);
    history->searchField()->clear();
    QTest::keyClicks(history->searchField(), QStringLiteral("drucker"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->model().rowCount() == 1; }, 3000)) << history->model().rowCount() << " of " << history->model().totalCount() << " " << qPrintable(text()) << " kw=" << qPrintable(history->model().keyword()) << " visible " << history->isVisible();
    EXPECT_EQ(history->model().recordAt(0).id, id);
    history->searchField()->clear();
}

// A default install cannot translate into its target language (Simplified
// Chinese has no pack). The launch says so once, and each failure says so
// again: the message stays to be read, can be copied, and its way out opens
// the preferences' target-language picker, as the launch notice does.
TEST_F(ShellOnDesktop, onADefaultInstall_TheFailureStaysToBeReadAndCopied_AndItsWayOutOpensTheTargetLanguagePicker)
{
    platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
    SettingsWindowController& settings = SettingsWindowController::shared();
    const auto pickerOpen = [&] {
        auto* tab = settings.view() ? dynamic_cast<PrefsCaptureTab*>(settings.view()->content()) : nullptr;
        return tab && settings.window()->isVisible() && tab->targetLanguagePicker()->view()->isVisible();
    };
    const auto closePicker = [&] {
        ASSERT_TRUE(pressKeys(QStringLiteral("Escape")));
        settings.window()->hide();
        QTest::qWait(300);
    };

    // The launch notice, after whatever toast shows, opens the picker when clicked.
    CaptureHUDController& hud = CaptureHUDController::shared();
    hud.dismiss(false);
    s_services->tellIfTargetLanguageUnreachable();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hud.isShowingToast(); }, 3000));
    EXPECT_EQ(hud.currentTitle(), QStringLiteral("本机无法翻译成简体中文"));
    QTest::qWait(300);
    clickAt(hud.panel()->geometry().center());
    ASSERT_TRUE(QTest::qWaitFor(pickerOpen, 5000));
    ASSERT_NO_FATAL_FAILURE(closePicker());

    ForeignWindow page({QStringLiteral("El gato duerme en la casa grande."),
                        QStringLiteral("Mi hermano trabaja en la ciudad.")},
                       QRect(100, 100, 1200, 400));
    ASSERT_TRUE(page.shown);
    ASSERT_NO_FATAL_FAILURE(selectAndPressReturn(QStringLiteral("ctrl+shift+t"), QRect(150, 180, 1100, 280)));
    const auto card = [] {
        SelOverlayView* view = overlay().activeView();
        return view && view->chrome() ? dynamic_cast<SelMessageCard*>(view->chrome()->toast()) : nullptr;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return card() != nullptr; }, 60000));
    SelMessageCard* message = card();
    EXPECT_EQ(message->kind(), SelMessageCard::Kind::failure);
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("翻译失败："))) << qPrintable(message->text());
    EXPECT_TRUE(message->text().contains(QStringLiteral("本机没有能译成简体中文的语言包")));

    // Still there to be read five seconds on: its dark card is on the screen.
    QTest::qWait(5000);
    ASSERT_EQ(card(), message);
    const QPoint inside = message->mapToGlobal(QPoint(6, message->height() / 2));
    const QColor shown = test::screenImage(QRect(inside, QSize(1, 1))).pixelColor(0, 0);
    EXPECT_LT(shown.lightness(), 80) << qPrintable(shown.name());

    clickAt(message->mapToGlobal(message->copyButton()->geometry().center()));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QString::fromUtf8(test::programOutput("xclip", {"-selection", "clipboard", "-o"})) == message->text(); },
        3000));

    clickAt(message->mapToGlobal(message->wayOutButton()->geometry().center()));
    EXPECT_TRUE(QTest::qWaitFor([] { return !overlay().isActive(); }, 3000));
    ASSERT_TRUE(QTest::qWaitFor(pickerOpen, 5000));
    ASSERT_NO_FATAL_FAILURE(closePicker());
    EXPECT_FALSE(platform::SettingsStore::shared().contains(QStringLiteral("targetLanguage")));  // nothing was changed
}
