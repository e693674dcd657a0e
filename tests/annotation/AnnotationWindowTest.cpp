// The annotation window offscreen: the remembered tool, the style bar and what
// it saves, the command keys beside the text field, the window size, the
// outputs (clipboard, file, done) with their failures, and the annotate command.
#include "AnnoDrivers.h"
#include "annotation/command/AnnoCaptureOverlay.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "app/AppFakes.h"
#include "platform/text/TextServices.h"
#include "recognition/ResultFakes.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "tools/ToolsFakes.h"
#include "annotation/style/AnnoStyleStore.h"
#include "annotation/window/AnnoBottomBar.h"
#include "annotation/window/AnnoColorControls.h"
#include "annotation/window/AnnoStyleBar.h"
#include "annotation/window/AnnoToolBar.h"
#include "annotation/window/AnnoWindowSizing.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QToolButton>

namespace klipo {
namespace {

using test::WindowTest;

// A clipboard that takes images only when `takes` is true.
struct FakeClipboard : platform::Clipboard {
    bool takes = true;
    QImage held;
    bool copyImage(const QImage& image, const QByteArray&) override
    {
        if (takes) held = image;
        return takes;
    }
    void setImage(const QImage& image) override { held = image; }
    void setText(const QString&) override {}
    void setImageAndText(const QImage& image, const QString&) override { held = image; }
    QImage image() const override { return held; }
    QImage pastedImage() const override { return held; }
    QString text() const override { return {}; }
};

TEST_F(WindowTest, startsWithTheRememberedTool_CropAndUnknownNamesAsRectangle_AndEndsEachSessionOnce)
{
    const std::vector<std::tuple<QJsonValue, AnnoTool, std::function<void()>>> cases{
        {QJsonValue(), AnnoTool::rectangle, [] { controller().bottomBar()->cancelButton()->click(); }},
        {"ruler", AnnoTool::rectangle, [] { key(Qt::Key_Escape); }},
        {"crop", AnnoTool::rectangle, [] { controller().window()->close(); }},
        {"select", AnnoTool::select, [] { key(Qt::Key_Escape); }}};
    for (const auto& [stored, tool, end] : cases) {
        set("anno.lastTool", stored);
        ends = 0;
        open(test::whiteImage(200, 100));
        EXPECT_EQ(controller().currentTool(), tool);
        EXPECT_TRUE(controller().toolBar()->toolButton(tool)->isChecked());
        end();
        controller().window()->close();  // a second end of the same session changes nothing
        EXPECT_EQ(ends, 1);
        EXPECT_FALSE(result.has_value());
        EXPECT_FALSE(controller().window()->isVisible());
    }

    // Crop is remembered as chosen; a new session replacing this one ends it with none.
    open(test::whiteImage(200, 100));
    controller().toolBar()->toolButton(AnnoTool::crop)->click();
    EXPECT_EQ(platform::SettingsStore::shared().value("anno.lastTool").toString(), "crop");
    std::optional<QImage> second;
    controller().show(test::whiteImage(50, 50), [&](std::optional<QImage> image) { second = image; });
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(controller().currentTool(), AnnoTool::rectangle);
    controller().bottomBar()->doneButton()->click();
    EXPECT_EQ(second->size(), QSize(50, 50));
}

TEST_F(WindowTest, styleBar_FollowsTheSelectedMark_MarksTheMatchingSwatch_AndSavesForTheMarksTool)
{
    set("anno.lastTool", "mosaic");
    open(test::whiteImage(300, 200));
    AnnoStyleBar& bar = *controller().styleBar();
    drag({20, 20}, {120, 100});
    controller().toolBar()->toolButton(AnnoTool::select)->click();
    EXPECT_FALSE(bar.colorGroup()->isVisibleTo(&bar) || bar.widthGroup()->isVisibleTo(&bar));
    click({60, 60});
    ASSERT_EQ(controller().styleContextTool(), AnnoTool::mosaic);
    EXPECT_FALSE(bar.colorGroup()->isVisibleTo(&bar));
    EXPECT_TRUE(bar.widthGroup()->isVisibleTo(&bar));
    bar.widthSlider()->setValue(20);
    EXPECT_EQ(canvas().items().first().style.lineWidth, 20);
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::mosaic).lineWidth, 20);

    // A custom colour within 0.02 of a swatch marks it, whatever its transparency.
    controller().toolBar()->toolButton(AnnoTool::pen)->click();
    const auto marked = [&] {
        QList<int> on;
        for (int i = 0; i < bar.swatches().size(); ++i)
            if (bar.swatches()[i]->isMarked()) on << i;
        return on;
    };
    dialogs->color = QColor::fromRgbF(0.11f, 0.53f, 0.95f, 0.4f);
    bar.colorWell()->click();
    EXPECT_EQ(marked(), QList<int>{4});
    EXPECT_NEAR(AnnoStyleStore::style(AnnoTool::pen).alpha, 0.4, 0.01);
    dialogs->color = QColor::fromRgbF(0.13f, 0.52f, 0.96f);
    bar.colorWell()->click();
    EXPECT_TRUE(marked().isEmpty());
}

TEST_F(WindowTest, sliders_ShowStoredWidthsAndSizesBeyondTheOldRanges_AndKeepThemThroughOtherEdits)
{
    set("anno.style.rectangle.lineWidth", 30);
    set("anno.style.text.fontSize", 150);
    set("anno.lastTool", "rectangle");
    open(test::whiteImage(300, 200));
    AnnoStyleBar& bar = *controller().styleBar();
    EXPECT_EQ(bar.widthSlider()->value(), 30);
    EXPECT_EQ(bar.widthValue()->text(), "30");
    bar.fillCheckbox()->click();
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::rectangle).lineWidth, 30);
    EXPECT_TRUE(AnnoStyleStore::style(AnnoTool::rectangle).filled);

    controller().toolBar()->toolButton(AnnoTool::text)->click();
    EXPECT_EQ(bar.fontSlider()->value(), 150);
    EXPECT_EQ(bar.fontValue()->text(), "150");
    bar.swatches()[3]->click();
    EXPECT_EQ(AnnoStyleStore::style(AnnoTool::text).fontSize, 150);
}

TEST_F(WindowTest, commandKeys_LeaveTheTextFieldItsOwnKeys_AndActOnTheMarksOtherwise)
{
    set("anno.lastTool", "text");
    open(test::whiteImage(300, 200));
    click({40, 50});
    QLineEdit* field = canvas().editor();
    ASSERT_TRUE(field);
    QTest::keyClicks(field, "abc");
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(field->text(), "abc");  // the typing is undone, not a mark
    QTest::keyClicks(field, "note");
    key(Qt::Key_C, Qt::ControlModifier);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(controller().isSessionOpen());
    EXPECT_EQ(test::toastTitle(), QString());
    key(Qt::Key_Return);  // commits the text, does not finish
    ASSERT_EQ(canvas().items().size(), 1);
    EXPECT_TRUE(controller().isSessionOpen());

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(canvas().items().isEmpty());
    EXPECT_TRUE(controller().toolBar()->redoButton()->isEnabled());
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas().items().size(), 1);
    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(result->size(), QSize(300, 200));
}

TEST_F(WindowTest, contentSize_FitsTheImageIntoNinetyPercentOfTheScreen_NeverEnlarged)
{
    using AnnoWindowSizing::contentSize;
    EXPECT_EQ(contentSize({200, 100}, 2, QRect(0, 0, 1920, 1080)), QSize(820, 560));  // the smallest window
    const QSize big = contentSize({4000, 2000}, 1, QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(big.width() <= 1728 && big.height() <= 972) << big.width() << "x" << big.height();
}

TEST_F(WindowTest, aRefusedCopyOrAFailedCompose_KeepsTheWindowAndItsMarks_AndSaysSo)
{
    FakeClipboard clipboard;
    platform::ScopedServices services({nullptr, nullptr, &clipboard, nullptr, nullptr, nullptr, nullptr});
    set("anno.lastTool", "rectangle");
    open(test::whiteImage(300, 200));
    drag({10, 10}, {100, 80});
    clipboard.takes = false;
    controller().bottomBar()->copyButton()->click();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("复制失败"));
    clipboard.takes = true;
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(test::toastTitle(), QStringLiteral("标注图片已复制"));
    const QColor copied = clipboard.held.pixelColor(10, 40), drawn = canvas().items().first().style.color();  // the mark is in
    EXPECT_LE(std::abs(copied.red() - drawn.red()) + std::abs(copied.green() - drawn.green()) + std::abs(copied.blue() - drawn.blue()), 6);

    controller().setComposer([](AnnoRenderer&, const QList<AnnoItem>&, const QRectF&) { return QImage(); });
    const std::vector<std::pair<std::function<void()>, QString>> asks{
        {[] { key(Qt::Key_Return, Qt::ControlModifier); }, QStringLiteral("无法完成标注")},
        {[] { controller().bottomBar()->copyButton()->click(); }, QStringLiteral("复制失败")},
        {[] { key(Qt::Key_S, Qt::ControlModifier); }, QStringLiteral("保存失败")}};
    for (const auto& [ask, title] : asks) {
        CaptureHUDController::shared().dismiss(false);
        ask();
        EXPECT_EQ(test::toastTitle(), title);
        EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains(QStringLiteral("标注仍保留")));
        EXPECT_TRUE(controller().window()->isVisible());
        EXPECT_EQ(canvas().items().size(), 1);
    }
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(dialogs->proposedPath.isEmpty());
}

TEST_F(WindowTest, save_WritesTheCroppedPngWhereTheUserChose_AndReportsAPathThatCannotBe)
{
    const QString folder = test::freshDir("captures");
    set("plainCaptureDirectory", folder);
    set("anno.lastTool", "rectangle");
    open(test::whiteImage(300, 200));
    drag({10, 10}, {100, 80});
    controller().toolBar()->toolButton(AnnoTool::crop)->click();
    drag({0, 0}, {120, 90});
    dialogs->savePath = folder + "/mine.png";
    controller().bottomBar()->saveButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("标注图片已保存"); }, 5000));
    EXPECT_EQ(CaptureHUDController::shared().currentSubtitle(), "mine.png");
    EXPECT_EQ(QFileInfo(dialogs->proposedPath).absolutePath(), folder);
    EXPECT_EQ(QImage(folder + "/mine.png").convertToFormat(QImage::Format_ARGB32_Premultiplied),
              canvas().renderer()->compose(canvas().items(), canvas().cropRect()));

    ASSERT_TRUE(QFile(folder + "/plain-file").open(QIODevice::WriteOnly));
    dialogs->savePath = folder + "/plain-file/inside.png";
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("保存失败"); }, 5000));
    EXPECT_TRUE(CaptureHUDController::shared().currentSubtitle().contains(QStringLiteral("是一个文件")))
        << qPrintable(CaptureHUDController::shared().currentSubtitle());
    EXPECT_TRUE(controller().isSessionOpen());
}

// A fresh account has no Desktop, the default capture folder: the dialog
// starts in Pictures, or else in home, never in the working folder.
TEST_F(WindowTest, save_StartsInAFolderThatExists_WithThePlainName)
{
    const QString home = QDir::homePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ASSERT_FALSE(QFileInfo::exists(home + "/Desktop"));
    open(test::whiteImage(60, 40));
    for (const auto& [stored, expected] :
         {std::pair{QString(), pictures}, std::pair{test::freshDir("captures") + "/gone", home}}) {
        set("plainCaptureDirectory", stored);
        if (expected == pictures)
            QDir().mkpath(pictures);
        else
            QDir(pictures).removeRecursively();
        key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(QFileInfo(dialogs->proposedPath).absolutePath(), expected);
    }

    // The real dialog shows that folder, and the name alone in its field.
    std::unique_ptr<AnnoWindowDialogs> real = makeQtAnnoWindowDialogs();
    real->chooseSavePath(controller().window(), dialogs->proposedPath, [](const QString&) {});
    QFileDialog* dialog = controller().window()->findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), home);
    EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
              QFileInfo(dialogs->proposedPath).fileName());
    dialog->reject();
}

// The annotate command with fake screen access, screenshots, overlay and
// recognition: the overlay road, the window road with its guards against a
// second run, failures told, and what reaches the result panel.
struct FakeOverlay : AnnoCaptureOverlay {
    bool active = false;
    int begins = 0, closes = 0;
    bool isActive() const override { return active; }
    void beginCopy() override { ++begins, active = true; }
    void close() override { ++closes, active = false; }
};

class AnnotateCommand : public test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        m_screens.list = {test::screen("A", 1, QRect(0, 0, 1920, 1080), 1)};
        m_shots.reply = [this](const platform::CaptureOptions&) { return m_next; };
        AnnoMenuProvider::setPermissionAlert([this] { ++m_alerts; });
        AnnoMenuProvider::setOverlay(m_overlay);
        set("selCaptureOverlayEnabled", false);
        if (QWidget* panel = ResultPanelController::shared().panel()) panel->hide();
    }
    void TearDown() override
    {
        AnnoMenuProvider::setOverlay(nullptr);
        AnnoMenuProvider::setPermissionAlert(nullptr);
        WindowTest::TearDown();
    }

    // Presses the command and lets the pick's answer come back.
    void press()
    {
        AnnoMenuProvider::startCaptureAndAnnotate();
        if (!m_shots.holdReplies) { ASSERT_TRUE(QTest::qWaitFor([] { return !AnnoMenuProvider::isPicking(); }, 5000)); }
    }
    static bool panelShown() { return ResultPanelController::shared().panel() && ResultPanelController::shared().panel()->isVisible(); }

    platform::CaptureOutcome m_next = platform::CaptureOutcome::success(test::whiteImage(300, 200), 1.0);
    std::shared_ptr<FakeOverlay> m_overlay = std::make_shared<FakeOverlay>();
    int m_alerts = 0;
    test::FakePermission m_permission;
    test::FakeScreenMetrics m_screens;
    test::FakeScreenshotTool m_shots;
    test::FakeRecognizer m_recognizer;
    test::FakeTranslator m_translator;
    platform::ScopedTextServices m_engines{{&m_recognizer, nullptr, &m_translator}};
    platform::ScopedServices m_services{{&m_screens, &m_shots, nullptr, nullptr, nullptr, nullptr, &m_permission}};
};

TEST_F(AnnotateCommand, menuItem_WithoutScreenAccessOnlyExplains_WithTheOverlayOnOpensAndClosesIt)
{
    QObject owner;
    QAction* item = AnnoMenuProvider::shared().makeMenuItem(&owner);
    m_permission.granted = false;
    item->trigger();
    EXPECT_EQ(m_alerts, 1);
    EXPECT_EQ(m_permission.requests, 1);

    m_permission.granted = true;
    set("selCaptureOverlayEnabled", true);
    item->trigger();
    EXPECT_EQ(m_overlay->begins, 1);
    item->trigger();
    EXPECT_EQ(m_overlay->closes, 1);
    EXPECT_TRUE(m_shots.calls.isEmpty());
    EXPECT_FALSE(controller().isSessionOpen());
    EXPECT_EQ(m_alerts, 1);
}

TEST_F(AnnotateCommand, aFailedPickIsTold_ACancelIsNot_AndASecondPressStartsNoSecondPickButRaisesTheSession)
{
    m_next = platform::CaptureOutcome::failed(QStringLiteral("无法读取屏幕"));
    press();
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图失败"));
    CaptureHUDController::shared().dismiss(false);
    m_next = platform::CaptureOutcome::cancelled();
    press();
    EXPECT_EQ(test::toastTitle(), QString());
    EXPECT_FALSE(controller().isSessionOpen());

    m_next = platform::CaptureOutcome::success(test::whiteImage(300, 200), 1.0);
    m_shots.holdReplies = true;
    press();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_shots.calls.size() == 3; }, 5000));
    press();
    QTest::qWait(100);
    EXPECT_EQ(m_shots.calls.size(), 3);
    m_shots.held(m_next);
    ASSERT_TRUE(QTest::qWaitFor([] { return controller().isSessionOpen(); }, 5000));

    set("anno.lastTool", "rectangle");
    drag({10, 10}, {100, 80});
    controller().window()->showMinimized();
    press();
    EXPECT_EQ(m_shots.calls.size(), 3);
    EXPECT_FALSE(controller().window()->isMinimized());
    EXPECT_EQ(canvas().items().size(), 1);
    EXPECT_EQ(ends, 0);
}

TEST_F(AnnotateCommand, done_ShowsTheComposedImageInThePanel_WithARecognitionFailure_CancelShowsNothing)
{
    press();
    ASSERT_TRUE(controller().isSessionOpen());
    controller().bottomBar()->cancelButton()->click();
    QTest::qWait(50);
    EXPECT_EQ(m_recognizer.calls, 0);
    EXPECT_FALSE(panelShown());

    m_recognizer.reply = platform::RecognitionOutcome::failure(QStringLiteral("没有可用的识别模型"));
    press();
    controller().toolBar()->toolButton(AnnoTool::crop)->click();
    drag({20, 30}, {220, 130});
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return panelShown(); }, 5000));
    const ResultModel& model = ResultPanelController::shared().model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.status().contains(QStringLiteral("没有可用的识别模型")); }, 5000));
    EXPECT_EQ(model.displayImage().size(), QSize(200, 100));
    EXPECT_EQ(m_recognizer.calls, 1);
}

}  // namespace
}  // namespace klipo
