// The quick tools on two offscreen screens (A at 1x, B at 2x, A primary): the
// remembered area's stored form and its selection, the colour picker and the
// last-capture preview.
#include "ToolsFakes.h"
#include "app/AppFakes.h"
#include "app/Settings.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"
#include "tools/QuickArea.h"
#include "tools/QuickAreaSelection.h"
#include "tools/QuickAreaSelectionView.h"
#include "tools/QuickCaptureService.h"
#include "tools/QuickColorMagnifierView.h"
#include "tools/QuickColorPicker.h"
#include "tools/QuickColorPickerWindow.h"
#include "tools/QuickPreviewPanel.h"
#include "tools/QuickRegionCapture.h"
#include "tools/QuickSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTimer>

using namespace klipo;

namespace {

const QRect screenA(0, 0, 1920, 1080);
const QRect screenB(1920, 0, 1280, 1024);

// Both screens, answered by a fake screenshot tool: `painted` colours a
// screen's picture, a screen without colour fails.
class QuickTools : public test::SettingsTest {
protected:
    void SetUp() override
    {
        m_screens.list = {test::screen("A", 1, screenA, 1.0), test::screen("B", 2, screenB, 2.0)};
        m_tool.reply = [this](const platform::CaptureOptions& options) {
            const int index = options.displayIndex.value_or(1);
            if (!m_painted.contains(index)) return platform::CaptureOutcome::failed(QStringLiteral("读不出画面"));
            const platform::ScreenInfo& screen = m_screens.list[index - 1];
            QImage picture(screen.pixelSize(), QImage::Format_RGB32);
            picture.fill(m_painted[index]);
            return platform::CaptureOutcome::success(picture, screen.devicePixelRatio);
        };
        CaptureHUDController::shared().dismiss(false);
        set("quickLastCaptureArea", QJsonValue::Undefined);  // removed now and after the test
        set("quickColorFormat", QJsonValue::Undefined);
    }
    void TearDown() override
    {
        QuickColorPickerController::shared().finish(false);
        QuickAreaSelectionController::shared().finish(std::nullopt);
        SettingsTest::TearDown();
    }

    test::FakeScreenMetrics m_screens;
    test::FakeScreenshotTool m_tool;
    test::FakePermission m_permission;
    test::FakeFileViewer m_files;
    QHash<int, QColor> m_painted{{1, QColor(0xD1, 0x8C, 0x72)}, {2, QColor(0x20, 0x40, 0x60)}};
    platform::ScopedServices m_services{{&m_screens, &m_tool, nullptr, nullptr, nullptr, &m_files, &m_permission}};
};

}  // namespace

TEST_F(QuickTools, rememberedArea_IsStoredYUpFromThePrimaryScreen_AndOnlyAWellFormedAreaCounts)
{
    const QRect primary(0, 0, 1440, 900);
    EXPECT_EQ(QuickArea::toGlobal(QRectF(100, 100, 640, 480), primary), QRectF(100, 320, 640, 480));
    EXPECT_EQ(QuickArea::toStored(QRectF(100, 320, 640, 480), primary), QRectF(100, 100, 640, 480));
    // The smallest whole-point rectangle, also across both screens.
    EXPECT_EQ(QuickRegionCapture::globalRect(QRectF(1800.4, 779.5, 299.2, 200.1), m_screens.list, std::nullopt),
              QRect(1800, 100, 300, 201));
    EXPECT_FALSE(QuickRegionCapture::globalRect(QRectF(5000, 5000, 100, 100), m_screens.list, std::nullopt));
    EXPECT_FALSE(QuickRegionCapture::globalRect(QRectF(1e300, 0, 100, 100), m_screens.list, std::nullopt));

    Settings::setQuickLastCaptureArea(QRectF(100, 100, 640, 480));
    EXPECT_EQ(platform::SettingsStore::shared().value("quickLastCaptureArea").toObject(),
              (QJsonObject{{"x", 100}, {"y", 100}, {"width", 640}, {"height", 480}}));
    for (const QJsonValue& damaged : {QJsonValue("100,100,640,480"),
                                      QJsonValue(QJsonObject{{"x", 1}, {"y", 1}, {"width", 0.5}, {"height", 9}}),
                                      QJsonValue(QJsonObject{{"x", "1"}, {"y", 1}, {"width", 9}, {"height", 9}})}) {
        set("quickLastCaptureArea", damaged);
        EXPECT_FALSE(Settings::quickLastCaptureArea().has_value()) << damaged.toVariant().toString().toStdString();
    }

    // A grab that fails is reported with its own reason, not blamed on the area.
    Settings::setQuickLastCaptureArea(QRectF(100, 100, 300, 200));
    m_painted.clear();
    QuickCaptureService::captureLastArea();
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图失败"); }, 3000));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("读不出画面"));
    EXPECT_EQ(m_tool.calls.value(0).region, QRect(100, 780, 300, 200));
    EXPECT_EQ(Settings::quickLastCaptureArea(), QRectF(100, 100, 300, 200));
}

TEST_F(QuickTools, areaSelection_CommitsOnceInGlobalPoints_AndLostFocusEndsItOnEveryScreen)
{
    QuickAreaSelectionController& selection = QuickAreaSelectionController::shared();
    QList<std::optional<QRectF>> results;
    const auto begin = [&] {
        selection.begin([&](std::optional<QRectF> area) { results.append(area); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return selection.windows().size() == 2; }, 3000));
    };
    ASSERT_NO_FATAL_FAILURE(begin());
    int dropped = 0;
    selection.begin([&](std::optional<QRectF>) { ++dropped; });  // one selection at a time
    QuickAreaSelectionView* onB = selection.windows()[1];
    EXPECT_EQ(onB->geometry(), screenB);
    QTest::mousePress(onB, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(onB, QPoint(200, 150));
    QTest::mouseMove(onB, QPoint(310, 210));
    QTest::mouseRelease(onB, Qt::LeftButton, {}, QPoint(310, 210));
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0], QRectF(1930, 10, 300, 200));
    EXPECT_TRUE(selection.windows().isEmpty());

    ASSERT_NO_FATAL_FAILURE(begin());
    QWidget elsewhere;
    elsewhere.show();
    QTest::qWait(50);  // focus reaches the selection first
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 2; }, 3000));
    EXPECT_EQ(results[1], std::nullopt);
    EXPECT_TRUE(selection.windows().isEmpty());
    EXPECT_EQ(dropped, 0);

    m_painted.clear();  // no screen can be read: the reason, and no selection
    selection.begin([&](std::optional<QRectF> area) { results.append(area); });
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图失败"); }, 3000));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), QStringLiteral("读不出画面"));
    EXPECT_EQ(results.size(), 3);
}

TEST_F(QuickTools, colorPicker_MapsPointsToPixelsAt2x_KeepsTheMagnifierOnScreen_CopiesNothingOverNoPicture_AndRemembersTheFormat)
{
    QImage picture(2560, 2048, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    picture.setPixelColor(20, 7, QColor(0xD1, 0x8C, 0x72));
    const auto sample = QuickScreenSample::make(QRectF(screenB), picture);
    ASSERT_TRUE(sample.has_value());
    EXPECT_EQ(sample->pixelPoint(QPointF(1920 + 10.25, 3.6)), QPoint(20, 7));
    EXPECT_FALSE(sample->pixelPoint(QPointF(3200, 10)));    // right edge
    EXPECT_FALSE(sample->pixelPoint(QPointF(2000, 1024)));  // bottom edge
    EXPECT_FALSE(sample->pixelPoint(QPointF(1919.9, 10)));
    EXPECT_EQ(sample->rgb(20, 7), (std::array<std::uint8_t, 3>{0xD1, 0x8C, 0x72}));
    EXPECT_FALSE(sample->rgb(2560, 0));

    // Beside the pointer, flipped to its other side near the screen's edges, never off a small screen.
    const QSizeF size(195, 243);
    EXPECT_EQ(magnifierOrigin(QPointF(2000, 100), QRectF(screenB), size), QPointF(100, 120));
    EXPECT_EQ(magnifierOrigin(QPointF(3150, 1000), QRectF(screenB), size), QPointF(1230 - 195 - 20, 1000 - 243 - 20));
    EXPECT_EQ(magnifierOrigin(QPointF(5, 5), QRectF(0, 0, 150, 150), size), QPointF(8, 8));
    // The zoom keeps to the picture near its corner.
    EXPECT_EQ(QuickColorMagnifierView::cropFor(QSize(2560, 2048), QPoint(2559, 100)), QRect(2545, 93, 15, 15));

    // The picker: a click over no picture copies nothing, Space switches and stores the format.
    m_painted.remove(2);  // B cannot be read: it is left out
    platform::services().clipboard->setText(QStringLiteral("之前的内容"));
    QuickColorPickerController& picker = QuickColorPickerController::shared();
    m_screens.pointer = QPoint(500, 500);
    picker.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isActive(); }, 3000));
    ASSERT_EQ(picker.overlays().size(), 1);
    QuickColorPickerWindow* overlay = picker.overlays().first();
    EXPECT_EQ(picker.currentText(), QStringLiteral("#D18C72"));
    EXPECT_TRUE(picker.magnifier(0)->isVisible());
    picker.start();  // ignored while picking
    EXPECT_EQ(picker.overlays().size(), 1);
    QTest::keyClick(overlay, Qt::Key_Space);

    // Over the screen that could not be read: no magnifier and no colour.
    m_screens.pointer = QPoint(2500, 500);
    QTest::qWait(3 * QuickColorPickerController::pollIntervalMs);
    EXPECT_FALSE(picker.magnifier(0)->isVisible());
    QTest::mouseClick(overlay, Qt::LeftButton);
    EXPECT_FALSE(picker.isActive());
    EXPECT_EQ(platform::services().clipboard->text(), QStringLiteral("之前的内容"));
    EXPECT_FALSE(CaptureHUDController::shared().isShowingToast());

    m_screens.pointer = QPoint(500, 500);
    picker.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return picker.isActive(); }, 3000));
    EXPECT_EQ(picker.format(), QuickColorFormat::rgb);  // remembered
    QTest::keyClick(picker.overlays().first(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(platform::services().clipboard->text(), QStringLiteral("rgb(209, 140, 114)"));

    m_painted.clear();
    CaptureHUDController::shared().dismiss(false);
    picker.start();
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("取色失败"); }, 3000));
    EXPECT_FALSE(picker.isActive() || picker.isPreparing());
}

// Last: it ends with the application quitting.
TEST_F(QuickTools, preview_ShowsTheNewestCapture_SavesOrOpensOrSaysWhyNot_AndLeavesNoTemporaryFileAfterQuit)
{
    QuickPreviewPanelController& preview = QuickPreviewPanelController::shared();
    const auto showAndWaitForToast = [] {
        CaptureHUDController::shared().dismiss(false);
        QuickCaptureService::showLastCapture();
        EXPECT_TRUE(QTest::qWaitFor([] { return CaptureHUDController::shared().isShowingToast(); }, 5000));
    };
    showAndWaitForToast();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("还没有截图记录"));
    EXPECT_FALSE(preview.panel());

    std::optional<HistoryRecord> saved;
    const auto save = [&](const QImage& image) {
        saved.reset();
        HistoryStore::shared().save(image, std::nullopt, "t", "", "en", [&](auto record) { saved = record; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return saved.has_value(); }, 5000));
    };
    ASSERT_NO_FATAL_FAILURE(save(test::whitePage({64, 48})));
    ASSERT_TRUE(QFile::remove(HistoryStore::shared().directory() + "/" + saved->imageName));
    showAndWaitForToast();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("图片已丢失"));

    QImage image = test::whitePage({300, 200});
    QPainter(&image).fillRect(0, 0, 50, 50, Qt::red);
    ASSERT_NO_FATAL_FAILURE(save(image));
    QuickCaptureService::showLastCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview.panel() && preview.panel()->isVisible(); }, 5000));

    const QString dir = test::freshDir("preview");
    QString answer = dir + "/副本.png";
    preview.chooseSavePath = [&](QWidget*) { return answer; };
    preview.saveImage();
    EXPECT_EQ(QImage(answer).convertToFormat(QImage::Format_RGB32), image);
    QFile blocker(dir + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    answer = dir + "/file/副本.png";
    CaptureHUDController::shared().dismiss(false);
    preview.saveImage();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("保存失败"));
    EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains("file"));

    preview.openInViewer();
    preview.openInViewer();
    ASSERT_EQ(m_files.opened.size(), 2);
    EXPECT_NE(m_files.opened[0], m_files.opened[1]);
    for (const QString& opened : m_files.opened) {
        EXPECT_EQ(QFileInfo(opened).absolutePath(), preview.temporaryFolder());
        EXPECT_EQ(QImage(opened).convertToFormat(QImage::Format_RGB32), image);
    }
    // No program for images: said, as the result panel's enlarged view says it.
    m_files.failure = QStringLiteral("没有找到可以打开这种图片的程序");
    CaptureHUDController::shared().dismiss(false);
    preview.openInViewer();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("无法打开图片"));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), m_files.failure);
    const QString folder = preview.temporaryFolder();
    preview.panel()->hide();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
    EXPECT_FALSE(QFileInfo::exists(folder));
}
