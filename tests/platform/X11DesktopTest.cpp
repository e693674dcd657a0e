// Needs the headless X11 desktop (Xvfb 1920x1080, openbox, trayer); skips elsewhere.
#include "platform/CapturePermission.h"
#include "platform/LooksOnScreen.h"
#include "platform/MenusOffScreen.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/RegionPickerWindow.h"
#include "platform/ScreenMetrics.h"
#include "platform/ScreenshotTool.h"
#include "platform/SystemTrayIcon.h"
#include "platform/overlay/OverlayDesktop.h"
#include "support/DesktopDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTest>

#include <optional>

using namespace klipo::platform;

namespace {

const QColor knownColour(0x33, 0x66, 0xcc);
const QRect knownRect(100, 100, 400, 300);

class X11Desktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!klipo::test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        m_window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                          Qt::BypassWindowManagerHint);
        m_window->setAutoFillBackground(true);
        m_window->setPalette(QPalette(knownColour));
        m_window->setGeometry(knownRect);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        QTest::qWait(200);  // let the X server draw it
        QCursor::setPos(1800, 1000);
    }

    static CaptureOutcome captureAndWait(const CaptureOptions& options)
    {
        std::optional<CaptureOutcome> outcome;
        services().screenshots->capture(options, [&](CaptureOutcome o) { outcome = std::move(o); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 10000));
        return outcome.value_or(CaptureOutcome::failed("no outcome"));
    }

    static int pixelsNotOfKnownColour(const QImage& image, const QRect& area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (QColor(image.pixel(x, y)).rgb() != knownColour.rgb()) ++count;
        return count;
    }

    std::unique_ptr<QWidget> m_window;
};

}  // namespace

TEST_F(X11Desktop, fullScreenGrab_ShowsAKnownWindowAtDevicePixels_AndAMissingDisplayFails)
{
    EXPECT_TRUE(services().permission->canCapture());
    EXPECT_TRUE(services().permission->reason().isEmpty());
    CaptureOptions options;
    options.displayIndex = services().screens->displayIndexUnderPointer();
    const CaptureOutcome outcome = captureAndWait(options);
    ASSERT_TRUE(outcome.ok()) << outcome.error.toStdString();
    EXPECT_EQ(outcome.image.size(), QSize(1920, 1080));
    EXPECT_DOUBLE_EQ(outcome.scale, 1.0);
    EXPECT_EQ(pixelsNotOfKnownColour(outcome.image, knownRect), 0);
    EXPECT_NE(QColor(outcome.image.pixel(50, 50)).rgb(), knownColour.rgb());

    options.displayIndex = 5;  // never another screen instead
    const CaptureOutcome missing = captureAndWait(options);
    EXPECT_EQ(missing.status, CaptureOutcome::Status::Failed);
    EXPECT_TRUE(missing.error.contains("5")) << missing.error.toStdString();
}

TEST_F(X11Desktop, grabWithCursor_DrawsThePointerWhereItIs_AndOnlyThen)
{
    const QPoint pointer(300, 250);
    QCursor::setPos(pointer);
    QTest::qWait(100);
    const QRect aroundPointer(pointer, QSize(8, 8));
    CaptureOptions options;
    options.includeCursor = true;
    const CaptureOutcome with = captureAndWait(options);
    ASSERT_TRUE(with.ok()) << with.error.toStdString();
    EXPECT_GT(pixelsNotOfKnownColour(with.image, aroundPointer), 0);
    EXPECT_EQ(pixelsNotOfKnownColour(with.image, QRect(pointer - QPoint(40, 40), QSize(30, 30))), 0);

    options.includeCursor = false;
    const CaptureOutcome without = captureAndWait(options);
    ASSERT_TRUE(without.ok());
    EXPECT_EQ(pixelsNotOfKnownColour(without.image, aroundPointer), 0);
}

TEST_F(X11Desktop, interactivePick_CropsTheFrozenScreen_AndEscapeCancels)
{
    const auto pickerWindow = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* picker = qobject_cast<RegionPickerWindow*>(w); picker && picker->isVisible())
                return picker;
        return static_cast<RegionPickerWindow*>(nullptr);
    };

    std::optional<CaptureOutcome> outcome;
    CaptureOptions options;
    options.interactive = true;
    services().screenshots->capture(options, [&](CaptureOutcome o) { outcome = std::move(o); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return pickerWindow() != nullptr; }));

    std::optional<CaptureOutcome> second;
    services().screenshots->capture(options, [&](CaptureOutcome o) { second = std::move(o); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.has_value(); }));
    EXPECT_EQ(second->status, CaptureOutcome::Status::Failed);

    m_window->hide();  // the frozen picture keeps it
    // Real pointer and key events through the X server, as a user makes them.
    ASSERT_TRUE(klipo::test::xdotool({"mousemove", "150", "120", "mousedown", "1", "mousemove", "250", "170",
                                      "mousemove", "350", "220", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }));
    ASSERT_TRUE(outcome->ok()) << outcome->error.toStdString();
    EXPECT_EQ(outcome->image.size(), QSize(200, 100));
    EXPECT_EQ(pixelsNotOfKnownColour(outcome->image, outcome->image.rect()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pickerWindow() == nullptr; }));

    outcome.reset();
    services().screenshots->capture(options, [&](CaptureOutcome o) { outcome = std::move(o); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return pickerWindow() != nullptr; }));
    ASSERT_TRUE(klipo::test::pressKeys("Escape"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }));
    EXPECT_EQ(outcome->status, CaptureOutcome::Status::Cancelled);
}

// A pick started from a menu item (the tray menu's "截图标注" with the overlay
// off): the screens are frozen once the menu has left them.
TEST_F(X11Desktop, interactivePickFromAMenuItem_FreezesTheScreensWithoutTheMenu)
{
    QMenu menu;
    for (const char* title : {"截图翻译", "全屏翻译", "普通截图", "截图标注"}) menu.addAction(QString::fromUtf8(title));
    std::optional<CaptureOutcome> outcome;
    QObject::connect(menu.actions().last(), &QAction::triggered, [&] {
        CaptureOptions options;
        options.interactive = true;
        services().screenshots->capture(options, [&](CaptureOutcome o) { outcome = std::move(o); });
    });
    menu.popup(knownRect.topLeft() + QPoint(60, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    QTest::qWait(300);
    const QRect where = menu.geometry();
    ASSERT_TRUE(knownRect.contains(where));
    const QPoint item = menu.actionGeometry(menu.actions().last()).center() + where.topLeft();
    // The user points at the item (it lights up), then clicks.
    ASSERT_TRUE(klipo::test::xdotool({"mousemove", QString::number(item.x()), QString::number(item.y())}));
    QTest::qWait(300);
    ASSERT_TRUE(klipo::test::xdotool({"click", "1"}));

    // The pick over where the menu was.
    ASSERT_TRUE(QTest::qWaitFor([] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<RegionPickerWindow*>(w) && w->isVisible()) return true;
        return false;
    }));
    ASSERT_TRUE(klipo::test::xdotool({"mousemove", QString::number(where.left()), QString::number(where.top()),
                                      "mousedown", "1", "mousemove", QString::number(where.center().x()),
                                      QString::number(where.center().y()), "mousemove",
                                      QString::number(where.right() + 1), QString::number(where.bottom() + 1),
                                      "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }));
    ASSERT_TRUE(outcome->ok()) << outcome->error.toStdString();
    EXPECT_EQ(pixelsNotOfKnownColour(outcome->image, outcome->image.rect()), 0) << "the menu is in the picture";
}

TEST_F(X11Desktop, trayIcon_IsEmbeddedByTheTrayHost)
{
    SystemTrayIcon tray;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.isAvailable(); }, 10000));
    QPixmap icon(22, 22);
    icon.fill(knownColour);
    tray.setIcon(QIcon(icon));
    tray.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.geometry().isValid(); }, 10000));
}

// A tray that draws the menu itself writes an item's keys its own way
// ("Shift+Ctrl+T") and keeps the keys it read first: the menu it is given has
// each item's keys in the title, as our menus write them, and follows changes.
TEST_F(X11Desktop, trayMenu_GivenToTheTray_WritesEachItemsKeysAsOurMenusDo_AndFollowsEveryChange)
{
    QMenu menu;
    QAction* capture = menu.addAction(QStringLiteral("截图翻译"));
    capture->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    QAction* refused = menu.addAction(QStringLiteral("普通截图\tCtrl+Alt+K（未生效）"));
    menu.addSeparator();
    QMenu* quick = menu.addMenu(QStringLiteral("快捷截图"));
    QAction* repeat = quick->addAction(QStringLiteral("截取上一次区域"));
    repeat->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R));
    QAction* delay = quick->addAction(QStringLiteral("延时截图 3 秒"));
    delay->setCheckable(true);
    QAction* plain = menu.addAction(QStringLiteral("关于 KlipoVersa"));
    int triggered = 0;
    QObject::connect(repeat, &QAction::triggered, [&] { ++triggered; });

    SystemTrayIcon tray;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.isAvailable(); }, 10000));
    QPixmap image(22, 22);
    image.fill(knownColour);
    tray.setIcon(QIcon(image));
    tray.setMenu(&menu);
    tray.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.geometry().isValid(); }, 10000));
    auto* icon = tray.findChild<QSystemTrayIcon*>();
    ASSERT_TRUE(icon && icon->contextMenu());
    const auto shown = [&](QMenu* in) {
        QStringList rows;
        for (QAction* item : in->actions()) {
            if (!item->shortcut().isEmpty()) rows << QStringLiteral("keys of its own: ") + item->text();
            rows << (item->isSeparator() ? QStringLiteral("-") : item->text() + (item->isChecked() ? "*" : ""));
        }
        return rows.join(QStringLiteral(" | ")).replace(QLatin1Char('\t'), QStringLiteral("<tab>")).toStdString();
    };
    QMenu* given = icon->contextMenu();
    ASSERT_EQ(given->actions().size(), 5);
    QMenu* givenQuick = given->actions()[3]->menu();
    ASSERT_TRUE(givenQuick);
    EXPECT_EQ(shown(given), "截图翻译<tab>Ctrl+Shift+T | 普通截图<tab>Ctrl+Alt+K（未生效） | - | 快捷截图 | 关于 KlipoVersa");
    EXPECT_EQ(shown(givenQuick), "截取上一次区域<tab>Ctrl+Alt+R | 延时截图 3 秒");

    // Keys changed or cleared, a title and a state changed, an item added and one removed.
    capture->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    repeat->setShortcut(QKeySequence());
    refused->setText(QStringLiteral("普通截图"));
    refused->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    delay->setChecked(true);
    quick->addAction(QStringLiteral("取色器"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menu.removeAction(plain);
    givenQuick = given->actions().value(3) ? given->actions()[3]->menu() : nullptr;
    ASSERT_TRUE(givenQuick);
    EXPECT_EQ(shown(given), "截图翻译<tab>Ctrl+Alt+K | 普通截图<tab>Ctrl+Shift+S | - | 快捷截图");
    EXPECT_EQ(shown(givenQuick), "截取上一次区域 | 延时截图 3 秒* | 取色器<tab>Ctrl+P");

    // Choosing in the tray's menu chooses our item.
    givenQuick->actions()[0]->trigger();
    EXPECT_EQ(triggered, 1);
}

TEST_F(X11Desktop, clipboard_HoldsImageAsPngAndText_InOneItem)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(knownColour);
    services().clipboard->setImageAndText(image, QStringLiteral("识别的文字"));
    EXPECT_EQ(services().clipboard->text(), QStringLiteral("识别的文字"));
    EXPECT_EQ(services().clipboard->image().convertToFormat(QImage::Format_RGB32), image);

    // Other programs read it as a PNG.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").convertToFormat(QImage::Format_RGB32), image);

    services().clipboard->setText(QStringLiteral("只有文字"));
    EXPECT_EQ(services().clipboard->text(), QStringLiteral("只有文字"));
    EXPECT_TRUE(services().clipboard->image().isNull());
}

// Without a compositing window manager a menu the freeze closed stays on the
// screen until the programs below it repaint. The stills are taken only once
// the screen no longer shows it: here the screen shows the menu at the first
// look and no more at the second.
TEST_F(X11Desktop, freeze_TakesTheStillsOnlyOnceAClosedMenuIsGoneFromTheScreen)
{
    QMenu menu;
    for (const char* item : {"复制", "保存", "钉在屏幕上", "退出"}) menu.addAction(QString::fromUtf8(item));
    menu.popup(QPoint(700, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QImage look = menu.grab().toImage();
    QImage repainted(look.size(), QImage::Format_RGB32);
    repainted.fill(Qt::magenta);

    QStringList events;
    int looksWithMenu = 1;
    MenusOffScreen::setScreenPicture([&](const QRect&) {
        const bool shown = looksWithMenu-- > 0;
        events << (shown ? "menu on screen" : "menu gone");
        return shown ? look : repainted;
    });
    std::optional<FreezeOutcome> outcome;
    overlayDesktop().freezeScreens(false, [&](FreezeOutcome o) {
        events << "stills taken";
        outcome = std::move(o);
    });
    EXPECT_FALSE(menu.isVisible());
    const bool done = QTest::qWaitFor([&] { return outcome.has_value(); }, 10000);
    MenusOffScreen::setScreenPicture({});
    ASSERT_TRUE(done);
    events.removeDuplicates();  // the screen is looked at again until it stands still
    EXPECT_EQ(events.join(" | ").toStdString(), "menu on screen | menu gone | stills taken");
    EXPECT_TRUE(outcome->error.isEmpty()) << outcome->error.toStdString();
    EXPECT_EQ(outcome->screens.size(), 1);
}

// A submenu that lay mostly over the bare desktop and with one corner over a
// window: the desktop is repainted at once, the window only when its program
// gets to it. Until then that corner still shows the menu, and a still taken
// then keeps a piece of it. Where the screen below is as dark as the menu's
// text, or as plain as its background, the menu counts as gone.
TEST_F(X11Desktop, closedMenu_StillShowsWhileAnyPartOfItIsOnTheScreen)
{
    QMenu menu;
    for (const char* item : {"延时截图 3 秒", "延时截图 5 秒", "截取上一次区域", "取色器", "识别二维码…"})
        menu.addAction(QString::fromUtf8(item));
    menu.popup(QPoint(700, 200));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    const QImage look = menu.grab().toImage().convertToFormat(QImage::Format_RGB32);

    QImage screen;
    MenusOffScreen::setScreenPicture([&](const QRect&) { return screen; });
    const MenusOffScreen menus = MenusOffScreen::closeAll();
    EXPECT_FALSE(menu.isVisible());
    ASSERT_FALSE(menus.isEmpty());

    QImage blackDesktop(look.size(), QImage::Format_RGB32);
    blackDesktop.fill(Qt::black);
    const QRect firstItemCorner(0, 0, look.width() / 3, look.height() / 4);
    screen = blackDesktop;
    QPainter(&screen).drawImage(firstItemCorner.topLeft(), look.copy(firstItemCorner));
    const bool cornerLeftShows = !menus.goneFromScreen();
    screen = blackDesktop;
    const bool blackDesktopShows = !menus.goneFromScreen();
    screen = look;
    screen.fill(look.pixel(look.width() - 8, look.height() / 2));  // a page as plain as the menu
    const bool plainPageShows = !menus.goneFromScreen();
    screen = look;
    const bool wholeMenuShows = !menus.goneFromScreen();
    MenusOffScreen::setScreenPicture({});

    EXPECT_TRUE(cornerLeftShows);
    EXPECT_FALSE(blackDesktopShows);
    EXPECT_FALSE(plainPageShows);
    EXPECT_TRUE(wholeMenuShows);
}

// One of our windows that left a region: a window of one colour still shows
// where most of it is that colour; just after it went, so does a screen of
// one colour (the program below has filled its background and not drawn yet),
// but not once that while is over, and never a screen with content on it.
TEST_F(X11Desktop, windowThatLeft_PlainOrNot_ShowsOnlyWhereTheScreenStillHoldsIt)
{
    QImage blue(120, 90, QImage::Format_RGB32);
    blue.fill(QColor(0x30, 0x50, 0xa0));
    QImage page(blue.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QImage lined = page;
    QPainter(&lined).fillRect(0, 40, 120, 4, Qt::black);

    QImage screen;
    LooksOnScreen::setScreenPicture([&](const QRect&) { return screen; });
    LooksOnScreen plainWindow, plainWindowJustGone;
    plainWindow.add(QRect(10, 10, 120, 90), blue);
    plainWindowJustGone.add(QRect(10, 10, 120, 90), blue, 60000);
    QStringList seen;
    for (const QImage& shown : {blue, page, lined}) {
        screen = shown;
        seen << QString("%1/%2").arg(!plainWindow.goneFromScreen()).arg(!plainWindowJustGone.goneFromScreen());
    }
    LooksOnScreen::setScreenPicture({});
    EXPECT_EQ(seen.join(' ').toStdString(), "1/1 0/1 0/0");
}

// The stills wait for a compositor's fading of our windows: taken once two
// pictures where they were agree, not before the programs below had their
// moment to repaint, and at the deadline when the screen there keeps
// changing (a clock, a video).
TEST_F(X11Desktop, screenWhereOurWindowsWere_IsWaitedForUntilItStandsStill)
{
    const QRect area(50, 60, 300, 200);
    int look = 0;
    int stillFrom = 0;
    LooksOnScreen::setScreenPicture([&](const QRect&) {
        QImage picture(area.size(), QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(40 * std::min(look++, stillFrom) % 360, 200, 200));
        return picture;
    });
    const auto looksTaken = [&](int deadlineMs, int notBeforeMs) {
        look = 0;
        bool ran = false;
        LooksOnScreen::whenStill({area}, QDeadlineTimer(notBeforeMs), QDeadlineTimer(deadlineMs), [&] { ran = true; });
        EXPECT_FALSE(ran);  // never on the first look
        EXPECT_TRUE(QTest::qWaitFor([&] { return ran; }, 5000));
        return look;
    };
    stillFrom = 4;
    EXPECT_EQ(looksTaken(5000, 0), 6);
    stillFrom = 0;
    const int waitingToRepaint = looksTaken(5000, 150);
    EXPECT_GE(waitingToRepaint, 4);
    EXPECT_LE(waitingToRepaint, 20);
    stillFrom = 1 << 20;
    const int neverStill = looksTaken(200, 0);
    EXPECT_GE(neverStill, 3);
    EXPECT_LE(neverStill, 20);
    LooksOnScreen::setScreenPicture({});

    bool ranWithoutAreas = false;
    LooksOnScreen::whenStill({}, QDeadlineTimer(0), QDeadlineTimer(5000), [&] { ranWithoutAreas = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ranWithoutAreas; }, 1000));
}
