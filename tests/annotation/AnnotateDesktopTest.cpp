// The annotate command on the headless desktop, from its hot key to the
// translated result: a region of Spanish text picked with the region picker,
// marked up with the mouse and the keyboard, copied for another program, and
// translated into English in the result panel. Needs the headless X11
// desktop, xdotool, xclip and apertium-eng-spa; skips without a display.
#include "AnnoDrivers.h"
#include "recognition/TextPictures.h"
#include "tools/ToolsFakes.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "annotation/window/AnnoToolBar.h"
#include "platform/RegionPickerWindow.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QProcess>
#include <QToolButton>

namespace klipo {
namespace {

using test::xdotool;

QImage fromClipboard(const QString& type, const char* format)
{
    return QImage::fromData(test::programOutput("xclip", {"-selection", "clipboard", "-t", type, "-o"}), format)
        .convertToFormat(QImage::Format_RGB32);
}

// A colour close to the mark's red somewhere within three pixels of the point.
bool redNear(const QImage& image, QPoint at)
{
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            if (const QColor c = image.pixelColor(at + QPoint(dx, dy)); c.red() > 200 && c.green() < 110 && c.blue() < 110) return true;
    return false;
}

bool pickerShown()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<platform::RegionPickerWindow*>(w) && w->isVisible()) return true;
    return false;
}

QStringList at(QPoint p) { return {QString::number(p.x()), QString::number(p.y())}; }

class AnnotateDesktop : public test::SettingsTest {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        set("selCaptureOverlayEnabled", false);
        set("targetLanguage", "en");
        set("anno.lastTool", "rectangle");
        // Three Spanish lines, 36 pixels high, at y 40, 170 and 300 of the page.
        m_page.setPixmap(QPixmap::fromImage(test::drawPicture(QSize(900, 400),
                                                              {{"El gato duerme en la casa grande.", {60, 40}, 36},
                                                               {"Mi hermano trabaja en la ciudad.", {60, 170}, 36},
                                                               {"Los perros comen en el jardin.", {60, 300}, 36}})));
        m_page.setGeometry(100, 100, 900, 400);
        m_page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_page));
        QTest::qWait(200);
    }

    static AnnotationWindowController& controller() { return AnnotationWindowController::shared(); }
    static QPoint onScreen(QPointF imagePx) { return controller().canvas()->mapToGlobal(controller().canvas()->viewPoint(imagePx).toPoint()); }
    static bool clickAt(QPoint p) { return xdotool(QStringList{"mousemove"} + at(p) + QStringList{"click", "1"}); }
    static bool clickTool(AnnoTool tool)
    {
        QToolButton* button = controller().toolBar()->toolButton(tool);
        return clickAt(button->mapToGlobal(button->rect().center()));
    }
    static bool drag(QPoint from, QPoint to)
    {
        return xdotool(QStringList{"mousemove"} + at(from) + QStringList{"mousedown", "1", "mousemove"} + at((from + to) / 2) +
                       QStringList{"mousemove"} + at(to) + QStringList{"mouseup", "1"});
    }

    QLabel m_page{nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint};
};

TEST_F(AnnotateDesktop, hotKey_PicksMarksUpCopiesAndTranslatesTheRegionIntoEnglish)
{
    using namespace GlobalShortcuts;
    setShortcut(Shortcut(Key::a, Qt::ControlModifier | Qt::ShiftModifier), Name::captureAnnotate());
    QObject context;
    ASSERT_EQ(onKeyDown(Name::captureAnnotate(), &context, [] { AnnoMenuProvider::startCaptureAndAnnotate(); }).state,
              Registration::State::registered);
    QCursor::setPos(1500, 900);
    ASSERT_TRUE(xdotool({"key", "ctrl+shift+a"}));
    ASSERT_TRUE(QTest::qWaitFor(pickerShown, 5000));
    ASSERT_TRUE(drag({100, 100}, {1000, 500}));
    ASSERT_TRUE(QTest::qWaitFor([] { return controller().isSessionOpen(); }, 10000));
    m_page.hide();  // it floats above every managed window
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller().window()));
    EXPECT_FALSE(test::xdotoolOutput({"search", "--onlyvisible", "--name", "截图标注"}).isEmpty());
    AnnoCanvasView& canvas = *controller().canvas();
    ASSERT_EQ(canvas.renderer()->base().size(), QSize(900, 400));

    // A rectangle round the second line, an arrow at the end of the third, a note above.
    ASSERT_TRUE(drag(onScreen({20, 150}), onScreen({880, 235})));
    ASSERT_TRUE(clickTool(AnnoTool::arrow));
    ASSERT_TRUE(drag(onScreen({880, 390}), onScreen({740, 330})));
    ASSERT_TRUE(clickTool(AnnoTool::text));
    ASSERT_TRUE(clickAt(onScreen({700, 95})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.editor() != nullptr; }, 3000));
    ASSERT_TRUE(xdotool({"type", "--delay", "30", "OK"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.items().size() == 3; }, 3000));
    EXPECT_EQ(canvas.items().last().text, QStringLiteral("OK"));
    EXPECT_TRUE(controller().isSessionOpen()) << "plain Return finished the session";

    // Ctrl+C: another program reads the composed image as PNG and as TIFF; the window stays.
    CaptureHUDController::shared().dismiss(false);
    const QImage composed = canvas.renderer()->compose(canvas.items(), canvas.cropRect()).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(xdotool({"key", "ctrl+c"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("标注图片已复制"); }, 5000));
    EXPECT_EQ(fromClipboard("image/png", "PNG"), composed);
    EXPECT_EQ(fromClipboard("image/tiff", "TIFF"), composed);
    EXPECT_TRUE(controller().window()->isVisible());

    // Ctrl+Return: the composed image, its marks in, translated in the result panel.
    ResultPanelController& panel = ResultPanelController::shared();
    ASSERT_TRUE(xdotool({"key", "ctrl+Return"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel.panel() && panel.panel()->isVisible(); }, 10000));
    EXPECT_FALSE(controller().isSessionOpen());
    EXPECT_FALSE(controller().window()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.model().translatedJoined().isEmpty(); }, 60000))
        << qPrintable(panel.model().status());
    const QImage shown = panel.model().baseImage();
    EXPECT_EQ(shown.size(), QSize(900, 400));
    EXPECT_TRUE(redNear(shown, {20, 190}) && redNear(shown, {450, 150}) && redNear(shown, {800, 355}));
    EXPECT_FALSE(redNear(shown, {450, 280}));
    const QString english = panel.model().translatedJoined().toLower();
    EXPECT_TRUE(english.contains("cat") && english.contains("brother") && !english.contains("gato"))
        << qPrintable(english);
}

}  // namespace
}  // namespace klipo
