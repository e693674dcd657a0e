// The quick tools on the headless desktop, driven by their hot keys and
// xdotool: the remembered area (select, remember, capture, read its QR code)
// and the colour picker, read back from the clipboard by another program.
// Needs the headless X11 desktop, xdotool and xclip; skips without a display.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "ToolsFakes.h"
#include "app/SettingsFixture.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"
#include "tools/QuickAreaSelection.h"
#include "tools/QuickAreaSelectionView.h"
#include "tools/QuickBarcodePanel.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorMagnifierView.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickColorPickerWindow.h"
#include "tools/QuickSettings.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>

using namespace klipo;
using namespace klipo::GlobalShortcuts;

namespace {

const QString qrText = QStringLiteral("https://example.com/记住的区域");

QString clipboardText() { return QString::fromUtf8(test::programOutput("xclip", {"-selection", "clipboard", "-o"})); }

bool selectionShown()
{
    const auto windows = QuickAreaSelectionController::shared().windows();
    return !windows.isEmpty() && windows.first()->isVisible();
}

class QuickToolsDesktop : public test::SettingsTest {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        set("plainCaptureDirectory", m_dir);
        platform::SettingsStore::shared().remove("quickLastCaptureArea");
        CaptureHUDController::shared().dismiss(false);

        // A QR code and a patch of #D18C72 on a white page at (200, 150).
        QImage page = test::whitePage({700, 300});
        test::drawCode(page, ZXing::BarcodeFormat::QRCode, qrText.toStdString(), QRect(20, 20, 160, 160));
        QPainter(&page).fillRect(QRect(420, 40, 200, 200), QColor(0xD1, 0x8C, 0x72));
        m_page.setPixmap(QPixmap::fromImage(page));
        m_page.setGeometry(200, 150, 700, 300);
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
        QTest::qWait(150);
    }
    void TearDown() override
    {
        setShortcut(std::nullopt, Name::repeatLastArea());
        setShortcut(std::nullopt, Name::colorPicker());
        platform::SettingsStore::shared().remove("quickLastCaptureArea");
        SettingsTest::TearDown();
    }
    void bind(const Name& name, Key key, std::function<void()> action)
    {
        setShortcut(Shortcut(key, Qt::ControlModifier | Qt::AltModifier), name);
        ASSERT_EQ(onKeyDown(name, &m_context, std::move(action)).state, Registration::State::registered);
    }
    QStringList files() const { return QDir(m_dir).entryList(QDir::Files); }
    static std::optional<QRectF> stored() { return Settings::quickLastCaptureArea(); }

    QString m_dir = test::freshDir("quick");
    QLabel m_page{nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint};
    QObject m_context;
};

}  // namespace

TEST_F(QuickToolsDesktop, rememberedArea_IsSelectedOnce_StoredYUp_CapturedWithItsCode_ThenTakenWithoutSelection)
{
    ASSERT_NO_FATAL_FAILURE(bind(Name::repeatLastArea(), Key::r, [] { QuickCaptureService::captureLastArea(); }));
    QCursor::setPos(1500, 900);

    ASSERT_TRUE(test::xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor(selectionShown, 5000));
    ASSERT_TRUE(test::xdotool({"mousemove", "210", "160", "mousedown", "1", "mousemove", "400", "300", "mousemove",
                               "510", "360", "mouseup", "1"}));
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
    ASSERT_TRUE(test::xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return files().size() == 2; }, 10000));
    EXPECT_FALSE(QuickAreaSelectionController::shared().isActive());
    EXPECT_EQ(QImage(m_dir + "/" + files().last()).size(), QSize(300, 200));
    QTest::qWait(500);
    if (panel.panel()) panel.panel()->hide();
}

TEST_F(QuickToolsDesktop, rememberedArea_EscSmallDragOrClickStoreNothing_AndAnAreaOffTheScreenIsKept)
{
    ASSERT_NO_FATAL_FAILURE(bind(Name::repeatLastArea(), Key::r, [] { QuickCaptureService::captureLastArea(); }));
    const QList<QStringList> endings{{"key", "Escape"},
                                     {"mousemove", "300", "300", "mousedown", "1", "mousemove", "350", "303",
                                      "mouseup", "1"},
                                     {"mousemove", "300", "300", "click", "1"}};
    for (const QStringList& ending : endings) {
        ASSERT_TRUE(test::xdotool({"key", "ctrl+alt+r"}));
        ASSERT_TRUE(QTest::qWaitFor(selectionShown, 5000)) << ending.join(' ').toStdString();
        ASSERT_TRUE(test::xdotool(ending));
        ASSERT_TRUE(QTest::qWaitFor([] { return !QuickAreaSelectionController::shared().isActive(); }, 5000))
            << ending.join(' ').toStdString();
        EXPECT_FALSE(stored().has_value()) << ending.join(' ').toStdString();
    }
    QTest::qWait(300);
    EXPECT_TRUE(files().isEmpty());

    Settings::setQuickLastCaptureArea(QRectF(5000, 5000, 100, 100));
    ASSERT_TRUE(test::xdotool({"key", "ctrl+alt+r"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图失败"); }, 5000));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("这块区域已经不在屏幕上了，请重新框选"));
    EXPECT_EQ(stored(), QRectF(5000, 5000, 100, 100));
}

TEST_F(QuickToolsDesktop, colorPicker_CopiesTheChosenFormatForAnotherProgram_AndEscCopiesNothing)
{
    ASSERT_NO_FATAL_FAILURE(bind(Name::colorPicker(), Key::c, [] { QuickColorPickerController::shared().start(); }));
    QuickColorPickerController& picker = QuickColorPickerController::shared();
    const auto open = [&] {
        ASSERT_TRUE(test::xdotool({"key", "ctrl+alt+c"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isActive() && picker.overlays().first()->isVisible(); },
                                    5000));
    };

    ASSERT_TRUE(test::xdotool({"mousemove", "100", "100"}));
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_TRUE(test::xdotool({"mousemove", "720", "290"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.currentText() == QStringLiteral("#D18C72"); }, 3000))
        << picker.currentText().toStdString();
    EXPECT_TRUE(picker.magnifier(0)->isVisible());
    ASSERT_TRUE(test::xdotool({"key", "space"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.currentText() == QStringLiteral("rgb(209, 140, 114)"); }, 3000));
    ASSERT_TRUE(test::xdotool({"click", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.isActive(); }, 3000));
    EXPECT_EQ(clipboardText(), QStringLiteral("rgb(209, 140, 114)"));
    EXPECT_EQ(test::toastTitle(), QStringLiteral("色值已复制"));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("rgb(209, 140, 114)"));
    EXPECT_EQ(platform::SettingsStore::shared().stringValue("quickColorFormat"), QStringLiteral("rgb"));

    // Esc copies nothing; the keys typed meanwhile reach no other window.
    QGuiApplication::clipboard()->setText(QStringLiteral("之前的内容"));
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_TRUE(test::xdotool({"key", "a", "Escape"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picker.isActive(); }, 3000));
    EXPECT_EQ(clipboardText(), QStringLiteral("之前的内容"));

    QGuiApplication::clipboard()->setText({});
}
