// The screenshot tools on the headless desktop, driven by their hot keys and
// xdotool and read back by other programs: a plain screenshot dragged with the
// real region picker, pins made from what other programs copied, the
// remembered area (select, remember, capture, read its QR code) and the colour
// picker. Needs the headless X11 desktop, xdotool and xclip; skips without a display.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "ToolsFakes.h"
#include "app/SettingsFixture.h"
#include "platform/FloatingPanel.h"
#include "platform/FloatingWindows.h"
#include "platform/LinkOpener.h"
#include "platform/RegionPickerWindow.h"
#include "platform/WindowShadow.h"
#include "recognition/SearchTextIndexer.h"
#include "stores/HistoryStore.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"
#include "tools/PinContentView.h"
#include "tools/PinMenu.h"
#include "tools/PinWindow.h"
#include "tools/PlainCaptureService.h"
#include "tools/QuickAreaSelection.h"
#include "tools/QuickAreaSelectionView.h"
#include "tools/QuickBarcodePanel.h"
#include "tools/QuickCaptureMenu.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorMagnifierView.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickColorPickerWindow.h"
#include "tools/QuickPreviewPanel.h"
#include "tools/QuickSettings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

using test::xdotool;

QByteArray xclipOut(const QString& target) { return test::programOutput("xclip", {"-selection", "clipboard", "-t", target, "-o"}); }

// xclip takes the clipboard and serves it from the background until another
// program takes it.
void xclipIn(const QString& target, const QString& file)
{
    QProcess process;  // its output must not keep the test's pipes open
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("xclip", {"-selection", "clipboard", "-t", target, "-i", file});
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0);
}

bool pickerShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<platform::RegionPickerWindow*>(w) && w->isVisible()) return true;
    return false;
}

bool selectionShown()
{
    const auto windows = QuickAreaSelectionController::shared().windows();
    return !windows.isEmpty() && windows.first()->isVisible();
}

// The colour `behind` as it shows close to one of our windows: under its
// shadow (with a compositor) visibly darker but the same hue, else exactly.
bool looksLikeShadowOver(const QColor& seen, const QColor& behind, bool shadow)
{
    if (!shadow) return seen == behind;
    const auto darker = [](int s, int b) { return s <= b && s >= b * 6 / 10; };
    return darker(seen.red(), behind.red()) && darker(seen.green(), behind.green()) &&
           darker(seen.blue(), behind.blue()) && seen.green() <= behind.green() - 6;
}

// A frameless window that notes where it was clicked (global points).
struct ClickLog : QWidget {
    ClickLog() : QWidget(nullptr, Qt::FramelessWindowHint) {}
    void mousePressEvent(QMouseEvent* event) override { clicks << event->globalPosition().toPoint(); }
    QList<QPoint> clicks;
};

class ToolsDesktop : public test::SettingsTest {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        set("plainCaptureDirectory", m_dir);
        set("quickLastCaptureArea", QJsonValue::Undefined);  // removed now and after the test
        set("quickColorFormat", QJsonValue::Undefined);
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        for (const Name& name : {Name::pinFromClipboard(), Name::repeatLastArea(), Name::colorPicker()}) setShortcut(std::nullopt, name);
        PinWindowController::closeAll();
        QGuiApplication::clipboard()->setText({});  // the last xclip lets go and ends
        SettingsTest::TearDown();
    }
    void bind(const Name& name, Key key, Qt::KeyboardModifiers modifiers, std::function<void()> action)
    {
        setShortcut(Shortcut(key, modifiers), name);
        ASSERT_EQ(onKeyDown(name, &m_context, std::move(action)).state, Registration::State::registered);
    }
    // Another program's window above everything at (200, 150).
    void showPage(QSize size)
    {
        m_page.setGeometry(QRect(QPoint(200, 150), size));
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
        QTest::qWait(200);
    }
    QStringList files() const { return QDir(m_dir).entryList(QDir::Files); }
    static std::optional<QRectF> stored() { return Settings::quickLastCaptureArea(); }

    QString m_dir = test::freshDir("desktop");
    QLabel m_page{nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint};
    QObject m_context;
};

}  // namespace

TEST_F(ToolsDesktop, plainCapture_SavesTheDraggedRegion_CopiesPngAndTiff_AndMakesItsTextSearchable)
{
    set("selCaptureOverlayEnabled", false);
    PlainCaptureService::setTextIndexer(SearchTextIndexer::index);
    m_page.setStyleSheet("background: white; color: black; font-size: 56px;");
    m_page.setText("Marmalade harbour");
    m_page.setAlignment(Qt::AlignCenter);
    ASSERT_NO_FATAL_FAILURE(showPage({700, 250}));
    QCursor::setPos(1800, 1000);

    PlainCaptureService::start(CaptureService::Mode::interactive, {});
    ASSERT_TRUE(QTest::qWaitFor(pickerShown));
    ASSERT_TRUE(xdotool({"mousemove", "200", "150", "mousedown", "1", "mousemove", "500", "300", "mousemove", "900",
                         "400", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图已保存并复制"); }, 10000))
        << test::toastTitle().toStdString();
    ASSERT_EQ(files().size(), 1);
    const QImage saved = QImage(m_dir + "/" + files().first()).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved.size(), QSize(700, 250));

    const QList<QByteArray> targets = xclipOut("TARGETS").split('\n');
    EXPECT_TRUE(targets.contains("image/png") && targets.contains("image/tiff")) << xclipOut("TARGETS").toStdString();
    EXPECT_EQ(QImage::fromData(xclipOut("image/png"), "PNG").convertToFormat(QImage::Format_RGB32), saved);
    EXPECT_EQ(QImage::fromData(xclipOut("image/tiff"), "TIFF").convertToFormat(QImage::Format_RGB32), saved);

    const auto first = [] { return HistoryStore::shared().allRecords().value(0).originalText; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return first().contains("Marmalade"); }, 60000));
    EXPECT_TRUE(first().endsWith(QFileInfo(files().first()).completeBaseName()));
    PlainCaptureService::setTextIndexer(nullptr);
}

TEST_F(ToolsDesktop, pinHotKey_PinsCopiedImageFilesAndData_FloatsOnAllDesktops_AndRefusesWhatIsNoImage)
{
    ASSERT_NO_FATAL_FAILURE(bind(Name::pinFromClipboard(), Key::p, Qt::ControlModifier | Qt::ShiftModifier,
                                 [] { PinMenuProvider::pinFromClipboard(); }));
    QImage image = test::whitePage({120, 80});
    ASSERT_TRUE(image.save(m_dir + "/a.png") && image.save(m_dir + "/b.jpg") && image.save(m_dir + "/c.tif"));
    for (const auto& [name, bytes] : {std::pair{"words.txt", "只有文字"}, std::pair{"broken.png", "\x89PNG\r\n\x1a\n but not a picture"}}) {
        QFile file(m_dir + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) > 0);
    }
    ASSERT_TRUE(test::whitePage({6000, 6000}).save(m_dir + "/huge.png"));  // more than the decoder may allocate
    // What a file manager copies: the first local image file among the URLs counts.
    const auto uriList = [&](const QString& name) {
        QFile file(m_dir + "/" + name + ".uris");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("https://example.com/a.png\r\n" + QUrl::fromLocalFile(m_dir + "/words.txt").toEncoded() + "\r\n" +
                   QUrl::fromLocalFile(m_dir + "/" + name).toEncoded() + "\r\n");
        return file.fileName();
    };
    QCursor::setPos(900, 500);

    const auto press = [&](const QString& target, const QString& file, bool pins) {
        ASSERT_NO_FATAL_FAILURE(xclipIn(target, file));
        CaptureHUDController::shared().dismiss(false);
        const auto before = PinWindowController::pinned().size();
        ASSERT_TRUE(xdotool({"key", "ctrl+shift+p"}));
        if (pins) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return PinWindowController::pinned().size() == before + 1; }, 5000))
                << file.toStdString() << " " << test::toastTitle().toStdString();
            EXPECT_EQ(PinWindowController::pinned().last()->image().size(), QSize(120, 80)) << file.toStdString();
        } else {
            ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("剪贴板里没有图片"); }, 5000))
                << file.toStdString();
            EXPECT_EQ(PinWindowController::pinned().size(), before);
        }
    };
    for (const QString name : {"a.png", "b.jpg", "c.tif"}) ASSERT_NO_FATAL_FAILURE(press("text/uri-list", uriList(name), true));
    ASSERT_NO_FATAL_FAILURE(press("image/png", m_dir + "/a.png", true));
    ASSERT_NO_FATAL_FAILURE(press("UTF8_STRING", m_dir + "/words.txt", false));
    ASSERT_NO_FATAL_FAILURE(press("image/png", m_dir + "/broken.png", false));
    ASSERT_NO_FATAL_FAILURE(press("image/png", m_dir + "/huge.png", false));
    ASSERT_NO_FATAL_FAILURE(press("text/uri-list", uriList("huge.png"), false));

    // The newest pin: above other windows on every desktop; keys once it is clicked.
    PinWindowController* pin = PinWindowController::pinned().last();
    const QString id = QString::number(pin->panel()->winId());
    const QString state = QString::fromLatin1(test::programOutput("xprop", {"-id", id, "_NET_WM_STATE", "_NET_WM_DESKTOP"}));
    // openbox keeps a window on every desktop by its desktop number alone (it has no sticky state).
    EXPECT_TRUE(state.contains("_NET_WM_STATE_ABOVE") && state.contains("_NET_WM_DESKTOP(CARDINAL) = 4294967295"))
        << state.toStdString();
    const QPoint centre = pin->panel()->geometry().center();
    ASSERT_TRUE(xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->panel()->isActiveWindow(); }, 3000));
    ASSERT_TRUE(xdotool(QStringList{"key", "--delay", "20"} + QStringList(9, "bracketleft")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->opacity() < 0.21; }, 3000)) << pin->opacity();
    // The window's property reaches the X server once Qt flushes its requests.
    QString opacity;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            opacity = QString::fromLatin1(test::programOutput("xprop", {"-id", id, "_NET_WM_WINDOW_OPACITY"}));
            return opacity.contains(QString::number(quint32(0.2 * 0xffffffffu)));
        },
        3000))
        << opacity.toStdString();

    // A link no program takes is reported as not opened.
    std::optional<bool> opened;
    platform::openLink(QUrl("weixin://dl/chat?klipo-test"), [&](bool ok) { opened = ok; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 20000));
    EXPECT_FALSE(*opened);
}

TEST_F(ToolsDesktop, rememberedAreaIsSelectedOnceAndCapturedWithItsCode_AndTheColourPickerCopiesForAnotherProgram)
{
    const QString qrText = QStringLiteral("https://example.com/记住的区域");
    QImage page = test::whitePage({700, 300});  // a QR code and a patch of #D18C72
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, qrText.toStdString(), QRect(20, 20, 160, 160));
    QPainter(&page).fillRect(QRect(420, 40, 200, 200), QColor(0xD1, 0x8C, 0x72));
    m_page.setPixmap(QPixmap::fromImage(page));
    ASSERT_NO_FATAL_FAILURE(showPage(page.size()));
    ASSERT_NO_FATAL_FAILURE(bind(Name::repeatLastArea(), Key::r, Qt::ControlModifier | Qt::AltModifier,
                                 [] { QuickCaptureService::captureLastArea(); }));
    QCursor::setPos(1500, 900);
    // Esc, a small drag or a click store nothing.
    for (const QString ending : {"key Escape", "mousemove 300 300 mousedown 1 mousemove 350 303 mouseup 1", "mousemove 300 300 click 1"}) {
        ASSERT_TRUE(xdotool({"key", "ctrl+alt+r"}));
        ASSERT_TRUE(QTest::qWaitFor(selectionShown, 5000)) << ending.toStdString();
        ASSERT_TRUE(xdotool(ending.split(' ')));
        ASSERT_TRUE(QTest::qWaitFor([] { return !QuickAreaSelectionController::shared().isActive(); }, 5000)) << ending.toStdString();
        EXPECT_FALSE(stored().has_value()) << ending.toStdString();
    }

    ASSERT_TRUE(xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor(selectionShown, 5000));
    ASSERT_TRUE(xdotool({"mousemove", "210", "160", "mousedown", "1", "mousemove", "400", "300", "mousemove", "510", "360", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图已保存并复制"); }, 10000))
        << test::toastTitle().toStdString();
    EXPECT_FALSE(selectionShown());
    ASSERT_TRUE(stored().has_value());
    EXPECT_EQ(*stored(), QRectF(210, 1080 - 160 - 200, 300, 200));  // origin bottom left, y up
    ASSERT_EQ(files().size(), 1);
    const QImage saved(m_dir + "/" + files().first());
    EXPECT_EQ(saved.size(), QSize(300, 200));
    EXPECT_EQ(saved.pixelColor(5, 5), QColor(Qt::white));  // the page, not the dimmed selection
    ASSERT_TRUE(QTest::qWaitFor([] { return !HistoryStore::shared().allRecords().isEmpty(); }, 5000));
    EXPECT_EQ(HistoryStore::shared().allRecords().first().originalText, QFileInfo(files().first()).completeBaseName());
    QuickBarcodePanelController& panel = QuickBarcodePanelController::shared();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.panel() && panel.panel()->isVisible(); }, 5000));
    EXPECT_EQ(panel.codes(), QStringList{qrText});
    panel.panel()->hide();

    // The next press takes the same area straight away.
    CaptureHUDController::shared().dismiss(false);
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return files().size() == 2; }, 10000));
    EXPECT_FALSE(QuickAreaSelectionController::shared().isActive());
    EXPECT_EQ(QImage(m_dir + "/" + files().last()).size(), QSize(300, 200));
    QTest::qWait(500);
    if (panel.panel()) panel.panel()->hide();

    // An area no longer on the screen is kept, and the reason told.
    CaptureHUDController::shared().dismiss(false);
    Settings::setQuickLastCaptureArea(QRectF(5000, 5000, 100, 100));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图失败"); }, 5000));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("这块区域已经不在屏幕上了，请重新框选"));
    EXPECT_EQ(stored(), QRectF(5000, 5000, 100, 100));

    // The colour picker over the patch: Space switches to rgb, a click copies it; Esc copies nothing.
    ASSERT_NO_FATAL_FAILURE(bind(Name::colorPicker(), Key::c, Qt::ControlModifier | Qt::AltModifier,
                                 [] { QuickColorPickerController::shared().start(); }));
    QuickColorPickerController& picker = QuickColorPickerController::shared();
    const auto open = [&] {
        ASSERT_TRUE(xdotool({"key", "ctrl+alt+c"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isActive() && picker.overlays().first()->isVisible(); }, 5000));
    };
    const auto clipboardText = [] { return QString::fromUtf8(test::programOutput("xclip", {"-selection", "clipboard", "-o"})); };
    ASSERT_TRUE(xdotool({"mousemove", "100", "100"}));
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_TRUE(xdotool({"mousemove", "720", "290"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.currentText() == QStringLiteral("#D18C72"); }, 3000))
        << picker.currentText().toStdString();
    EXPECT_TRUE(picker.magnifier(0)->isVisible());
    ASSERT_TRUE(xdotool({"key", "space"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.currentText() == QStringLiteral("rgb(209, 140, 114)"); }, 3000));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.isActive(); }, 3000));
    EXPECT_EQ(clipboardText(), QStringLiteral("rgb(209, 140, 114)"));
    EXPECT_EQ(test::toastTitle(), QStringLiteral("色值已复制"));
    EXPECT_EQ(platform::SettingsStore::shared().stringValue("quickColorFormat"), QStringLiteral("rgb"));
    QGuiApplication::clipboard()->setText(QStringLiteral("之前的内容"));
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_TRUE(xdotool({"key", "a", "Escape"}));  // the keys typed meanwhile reach no other window
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.isActive(); }, 3000));
    EXPECT_EQ(clipboardText(), QStringLiteral("之前的内容"));
}

TEST_F(ToolsDesktop, panelsToastsAndBars_ShowInsideTheAvailableArea_FromTheirFirstShowing)
{
    QWidget taskBar(nullptr, Qt::FramelessWindowHint);  // another program's, reserving the bottom 60 points
    taskBar.setGeometry(0, 1020, 1920, 60);
    taskBar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&taskBar));
    ASSERT_EQ(QProcess::execute("xprop", {"-id", QString::number(taskBar.winId()), "-f", "_NET_WM_STRUT_PARTIAL", "32c",
                                          "-set", "_NET_WM_STRUT_PARTIAL", "0,0,0,60,0,0,0,0,0,0,0,1919"}), 0);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area(0, 0, 1920, 1020);
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->availableGeometry() == area; }, 5000));
    platform::FloatingPanel bar(platform::PanelFocus::never);
    bar.setContentView(new QLabel(QStringLiteral("已采集 0 帧 · 你滚动，我拼接")));
    bar.fit();
    const std::pair<const char*, std::function<QWidget*()>> cases[] = {
        {"QR panel", [] { return QuickBarcodePanelController::shared().show({"https://example.com", "2"}),
                                 QuickBarcodePanelController::shared().panel(); }},
        {"preview", [] { return QuickPreviewPanelController::shared().show(test::whitePage({1700, 1000}), "t"),
                                QuickPreviewPanelController::shared().panel(); }},
        {"pin", [] { return PinWindowController::pin(test::whitePage({300, 200}))->panel(); }},
        {"toast", [] { return CaptureHUDController::shared().show("t", "s"), CaptureHUDController::shared().panel(); }},
        {"bar below a region", [&] { return bar.placeNear(QRectF(800, 700, 300, 300), screen, true), bar.orderFront(),
                                            static_cast<QWidget*>(&bar); }},
    };
    for (const auto& [name, show] : cases) {
        QCursor::setPos(1900, 1010);
        QWidget* window = show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << name;
        // Measured once the window manager has framed it, and again a moment later.
        (void)QTest::qWaitFor([&] { return window->frameGeometry() != window->geometry(); }, 1000);
        // What shows of it: its frame, or what it shows inside its shadow.
        const auto shown = [window] { return window->frameGeometry().marginsRemoved(window->contentsMargins()); };
        EXPECT_TRUE(area.contains(shown())) << name << " " << shown().bottom();
        QTest::qWait(300);
        EXPECT_TRUE(area.contains(shown())) << name << " " << shown().bottom();
        window->hide();
    }
}

TEST_F(ToolsDesktop, toast_ShowsWhatIsBehindItsCorners_AndEachShowingIsOnEveryDesktop)
{
    QWidget behind(nullptr, Qt::FramelessWindowHint);  // where the toast shows
    behind.setStyleSheet("background: #339933;");
    behind.setGeometry(1300, 700, 620, 380);
    behind.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
    QCursor::setPos(1700, 900);
    CaptureHUDController& hud = CaptureHUDController::shared();
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        hud.show("t", "s");
        QTest::qWait(400);  // faded in
        const QImage toast = test::screenImage(platform::innerGeometry(hud.panel()));
        // Never black: the green behind, under the toast's shadow when a compositor draws it.
        for (const QPoint corner : {QPoint(1, 1), QPoint(318, 1), QPoint(1, 78), QPoint(318, 78)})
            EXPECT_TRUE(looksLikeShadowOver(toast.pixelColor(corner), QColor(0x33, 0x99, 0x33),
                                            platform::compositorRunning(hud.panel())))
                << corner.x() << "," << corner.y() << " " << toast.pixelColor(corner).name().toStdString();
        EXPECT_NE(toast.pixelColor(160, 40), QColor(0x33, 0x99, 0x33));
        EXPECT_TRUE(test::programOutput("xprop", {"-id", QString::number(hud.panel()->winId()), "_NET_WM_DESKTOP"})
                        .contains("= 4294967295"));  // every desktop
        hud.dismiss(false);
    }
}

// The toast and a pin show where they were asked for, with a shadow around
// them when a compositor runs, which takes no clicks; without one the windows
// are no larger than what they show.
TEST_F(ToolsDesktop, toastAndPin_ShowWhereAsked_AShadowAroundThemTakesNoClicks)
{
    const QColor green(0x33, 0x99, 0x33);
    ClickLog behind;
    behind.setStyleSheet("background: #339933;");
    behind.setGeometry(900, 400, 1020, 680);
    behind.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
    QCursor::setPos(1300, 700);
    CaptureHUDController& hud = CaptureHUDController::shared();
    hud.show("t", "s");
    PinWindowController* pin = PinWindowController::pin(test::whitePage({300, 200}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pin->panel()));
    QTest::qWait(400);  // the toast faded in, both drawn
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const bool compositor = platform::compositorRunning(hud.panel());
    const std::pair<QWidget*, QRect> cases[] = {
        {hud.panel(), QRect(area.right() + 1 - 20 - 320, area.bottom() + 1 - 20 - 80, 320, 80)},
        {pin->panel(), QRect(1300 - 150, 700 - 100, 300, 200)},
    };
    for (const auto& [window, asked] : cases) {
        SCOPED_TRACE(window == hud.panel() ? "toast" : "pin");
        EXPECT_EQ(platform::innerGeometry(window), asked);
        if (compositor) {
            EXPECT_TRUE(window->geometry().contains(asked.adjusted(-4, -4, 4, 4)));
        } else {
            EXPECT_EQ(window->geometry(), asked);
        }
        // On the screen: its left edge where asked, and outside it the green behind, darker under the shadow.
        const QImage edge = test::screenImage(QRect(asked.left() - 3, asked.center().y(), 6, 1));
        EXPECT_FALSE(looksLikeShadowOver(edge.pixelColor(4, 0), green, true)) << "inside";
        EXPECT_TRUE(looksLikeShadowOver(edge.pixelColor(1, 0), green, compositor)) << "just outside";
        const QPoint underneath(asked.center().x(), asked.bottom() + 4);
        const QColor below = test::screenImage(QRect(underneath, QSize(1, 1))).pixelColor(0, 0);
        EXPECT_TRUE(looksLikeShadowOver(below, green, compositor)) << below.name().toStdString();
        // A click there goes to the window behind, and the toast or pin stays.
        const int clicks = behind.clicks.size();
        ASSERT_TRUE(
            xdotool({"mousemove", QString::number(underneath.x()), QString::number(underneath.y()), "click", "1"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return behind.clicks.size() > clicks; }, 3000));
        EXPECT_EQ(behind.clicks.last(), underneath);
        EXPECT_TRUE(window->isVisible());
    }
    hud.dismiss(false);
}

TEST_F(ToolsDesktop, pinUnderThePointer_KeepsItsFirstBadgeForItsFullTime_ThenHoverShowsTheScale)
{
    QCursor::setPos(900, 500);
    PinWindowController* pin = PinWindowController::pin(test::whitePage({300, 200}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pin->panel()));
    PinScaleBadge* badge = pin->contentView()->badge();
    // The pointer's arrival over the new pin comes meanwhile.
    for (int ms = 0; ms < PinContentView::badgeShowMs - 200; ms += 100, QTest::qWait(100))
        EXPECT_TRUE(badge->isVisible() && badge->text() == QStringLiteral("100% · 双击关闭")) << ms;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !badge->isVisible(); }, 3000));
    ASSERT_TRUE(xdotool({"mousemove", "100", "100", "sleep", "0.2", "mousemove", "900", "500"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return badge->isVisible(); }, 3000));
    EXPECT_EQ(badge->text(), QStringLiteral("100%"));
}

// However the codes panel was put away (its close button through the window
// manager, minimised, or its window unmapped or destroyed by another
// program), the next codes bring it back on the screen.
TEST_F(ToolsDesktop, codesPanel_ComesBackAfterBeingPutAwayInAnyWay)
{
    QuickBarcodePanelController& qr = QuickBarcodePanelController::shared();
    const auto onScreen = [&] {
        QProcess info;
        info.start("xwininfo", {"-id", QString::number(qr.panel()->winId())});
        info.waitForFinished();
        return QString::fromUtf8(info.readAllStandardOutput()).contains("IsViewable");
    };
    for (const QString way : {"wmctrl -c", "windowminimize", "windowunmap", "windowclose", "wmctrl -c"}) {
        QCursor::setPos(600, 500);
        qr.show({"first"});
        ASSERT_TRUE(QTest::qWaitFor(onScreen, 5000)) << way.toStdString();
        const QString id = QString::number(qr.panel()->winId());
        if (way.startsWith("wmctrl"))
            QProcess::execute("wmctrl", {"-i", "-c", id});
        else
            xdotool({way, id});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !onScreen(); }, 5000)) << way.toStdString();
        QTest::qWait(200);
        qr.show({"second"});
        EXPECT_TRUE(QTest::qWaitFor(onScreen, 5000)) << way.toStdString();
        EXPECT_EQ(qr.textView()->toPlainText(), "second");
    }
    qr.panel()->hide();
}

// Tools started from the tray's "快捷截图" submenu: the menu has closed, but
// the window under it shows it until its program repaints (here the test's
// own page, which cannot repaint before the test's event loop turns). The
// still must hold the page, not the menu (the remembered area and QR reading
// take theirs through the same screenshot run).
TEST_F(ToolsDesktop, quickToolsStartedFromTheMenu_FreezeTheScreenOnlyOnceTheMenuIsGone)
{
    m_page.setStyleSheet("background: white;");
    ASSERT_NO_FATAL_FAILURE(showPage({900, 700}));
    const QRect underMenu(300, 250, 120, 120);  // on the screen, inside the page, under the menu in any face
    ASSERT_EQ(test::pixelsUnlike(test::screenImage(underMenu), Qt::white), 0);
    QObject tray;
    QMenu* menu = QuickCaptureMenuProvider::shared().makeMenuItem(&tray)->menu();
    ASSERT_TRUE(menu);
    const auto choose = [&](const QString& title) {
        menu->popup(underMenu.topLeft() - QPoint(30, 30));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::qWait(200);
        ASSERT_TRUE(menu->geometry().contains(underMenu)) << menu->width() << "x" << menu->height();
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == title) item = action;
        ASSERT_TRUE(item) << title.toStdString();
        const QPoint at = menu->mapToGlobal(menu->actionGeometry(item).center());
        ASSERT_TRUE(xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
    };

    QuickColorPickerController& picker = QuickColorPickerController::shared();
    ASSERT_NO_FATAL_FAILURE(choose(QStringLiteral("取色器")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isActive() && picker.overlays().first()->isVisible(); }, 5000));
    // The picker shows its still over the whole screen: where the menu lay it is the page.
    ASSERT_TRUE(xdotool({"mousemove", "1500", "900"}));
    QTest::qWait(200);
    EXPECT_EQ(test::pixelsUnlike(test::screenImage(underMenu), Qt::white), 0) << "the menu is in the still";
    ASSERT_TRUE(xdotool({"mousemove", QString::number(underMenu.center().x()), QString::number(underMenu.center().y())}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picker.currentText() == QStringLiteral("#FFFFFF"); }, 3000))
        << picker.currentText().toStdString();
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.isActive(); }, 3000));
}
