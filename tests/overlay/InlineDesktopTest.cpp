// Translation in place and text selection on a real X desktop, driven as a
// user would: another program's window of Spanish text, the hot key, the
// pointer and keys through xdotool, the real recogniser and translator, the
// clipboard and the history. Needs the headless desktop and apertium-eng-spa.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/HUDButton.h"
#include "app/shell/OverlayWiring.h"
#include "overlay/SelEditingChrome.h"
#include "overlay/SelInlineToolbar.h"
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelTextSelecting.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "recognition/OCRService.h"
#include "stores/HistoryStore.h"
#include "support/DesktopDriver.h"
#include "support/ScreenProbe.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace klipo;
using State = SelInlineTranslation::State;

namespace {

const QRect kText(150, 170, 1100, 380);  // the window's three lines, on the screen

using test::xdotool;

QStringList at(QPoint p) { return {QString::number(p.x()), QString::number(p.y())}; }

class InlineDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display()) return;
        s_window = new QProcess;
        s_window->start(QCoreApplication::applicationDirPath() + "/../klipo_foreign_window",
                        {"--at", "100,100,1200,560", "El gato duerme en la casa grande.", "Mi hermano trabaja en la ciudad.",
                         "Los perros comen en el jardín."});
        if (!QTest::qWaitFor([] { return s_window->canReadLine(); }, 10000)) return;
        QTest::qWait(300);
        static OverlayOutputs outputs;
        SelOverlayController::shared().setOutputs(&outputs);
        GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::captureTranslate(), qApp, [] {
            if (overlay().isActive()) return overlay().cancel();
            overlay().begin({.primaryAction = SelAction::translate});
        });
    }

    static void TearDownTestSuite()
    {
        if (!s_window) return;
        s_window->kill();
        s_window->waitForFinished();
        delete s_window;
    }
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs an X11 desktop";
        ASSERT_TRUE(s_window && s_window->state() == QProcess::Running);
        auto& settings = platform::SettingsStore::shared();
        settings.setValue("plainCaptureDirectory", m_folder);
        settings.setValue("saveHistory", true);
        settings.setValue("targetLanguage", "en");
    }
    void TearDown() override
    {
        overlay().cancel();
        platform::SettingsStore::shared().remove("targetLanguage");
        QTest::qWait(100);
    }

    static SelOverlayController& overlay() { return SelOverlayController::shared(); }
    static SelOverlayView* view() { return overlay().activeView(); }
    static SelInlineToolbar* toolbar() { return view()->chrome()->toolbar(); }
    static int records() { return int(HistoryStore::shared().allRecords().size()); }

    // Ctrl+Shift+T, then a drag over the text: the view that is editing it.
    static SelOverlayView* selectTheText()
    {
        key("ctrl+shift+t");
        if (!QTest::qWaitFor([] { return overlay().windows().size() == 1; }, 5000)) return nullptr;
        QTest::qWait(300);
        xdotool(QStringList{"mousemove"} + at(kText.topLeft()) + QStringList{"mousedown", "1", "mousemove"} +
                at(kText.center()) + QStringList{"mousemove"} + at(kText.bottomRight()) + QStringList{"mouseup", "1"});
        if (!QTest::qWaitFor([] { return overlay().phase() == SelPhase::editing; }, 3000)) return nullptr;
        return view();
    }
    static void key(const QString& name)
    {
        xdotool({"key", name});
        QTest::qWait(150);
    }
    // Moves the pointer to the point (or the widget's middle) and clicks `times`, then runs `after` (xdotool words).
    static void click(QWidget* widget, int times = 1, const QStringList& after = {})
    {
        click(widget->mapToGlobal(widget->rect().center()), times, after);
    }
    static void click(QPoint p, int times = 1, const QStringList& after = {})
    {
        xdotool(QStringList{"mousemove"} + at(p) + QStringList{"click", "--repeat", QString::number(times), "--delay", "80", "1"} + after);
        QTest::qWait(250);
    }
    static bool waitState(State state)
    {
        return QTest::qWaitFor([state] { return view() && view()->translation().state() == state; }, 60000);
    }
    static QString toast()
    {
        QWidget* card = view() ? view()->chrome()->toast() : nullptr;
        QLabel* label = card ? card->findChild<QLabel*>() : nullptr;
        return label ? label->text() : QString();
    }
    static HUDButton* translatedButton(const QString& title)
    {
        for (HUDButton* b : toolbar()->translatedRow()->findChildren<HUDButton*>())
            if (b->text() == title) return b;
        return nullptr;
    }
    static QString clipboardText() { return platform::services().clipboard->text(); }

    // What the screen shows inside the selection, read back by the recogniser.
    static QString shownText()
    {
        QTest::qWait(400);  // the X server draws what changed
        const QImage screen = QImage::fromData(test::programOutput("import", {"-window", "root", "png:-"}), "PNG");
        QFuture<OcrOutcome> reading = OCRService::recognizeBlocks(screen.copy(view()->selection().toRect()), false);
        if (!QTest::qWaitFor([&] { return reading.isFinished(); }, 30000)) return {};
        QStringList lines;
        for (const TextBlock& block : reading.result().blocks) lines << block.text;
        return lines.join('\n').toLower();
    }

    // The middle of character `i` of a layer item, on the screen.
    static QPoint onScreen(const SelTextItem& item, int i)
    {
        const SelTextGeometry& g = view()->textSelecting().geometry();
        const QRectF r = g.toView(QRectF(item.charEdges[size_t(i)], item.bandMinY,
                                         item.charEdges[size_t(i + 1)] - item.charEdges[size_t(i)],
                                         item.bandMaxY - item.bandMinY));
        return view()->mapToGlobal(r.center().toPoint());
    }

    const QString m_folder = test::freshDir(QStringLiteral("captures"));
    static inline QProcess* s_window = nullptr;
};

}  // namespace

TEST_F(InlineDesktopTest, translatesInPlace_CopiesReverts_SelectsTheTextAndTheTranslation_AndRecordsTheCaptureOnce)
{
    const int before = records();
    ASSERT_TRUE(selectTheText());
    const QString original = shownText();
    EXPECT_TRUE(original.contains("gato")) << qPrintable(original);
    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(waitState(State::done));
    const QString shown = shownText();
    EXPECT_TRUE(shown.contains("cat") && shown.contains("brother") && !shown.contains("gato")) << qPrintable(shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return records() == before + 1; }, 10000));
    click(toolbar()->copyTextButton());
    EXPECT_EQ(clipboardText(), view()->translation().translatedText());
    EXPECT_TRUE(clipboardText().contains("cat"));
    click(translatedButton("还原"));
    ASSERT_EQ(view()->translation().state(), State::idle);
    EXPECT_TRUE(shownText().contains("gato"));

    // Words, a line and all of the recognised text, picked with the pointer and keys.
    click(toolbar()->textSelectBoxes().value(0)->button());
    SelTextSelecting& selecting = view()->textSelecting();
    ASSERT_TRUE(QTest::qWaitFor([&] { return selecting.layer() && !selecting.layer()->isEmpty(); }, 30000));
    const SelTextItem& first = selecting.layer()->items()[0];
    const int gato = int(first.text.indexOf("gato"));
    ASSERT_GE(gato, 0) << qPrintable(first.text);
    click(onScreen(first, gato + 1), 2, {"key", "ctrl+c"});
    EXPECT_EQ(clipboardText(), "gato");
    click(onScreen(first, gato + 1), 3, {"key", "ctrl+c"});
    EXPECT_EQ(clipboardText(), first.text);
    EXPECT_TRUE(first.text.startsWith("El gato duerme")) << qPrintable(first.text);
    test::pressKeys("ctrl+a ctrl+c");
    QTest::qWait(150);
    EXPECT_EQ(clipboardText(), selecting.layer()->allText());
    EXPECT_EQ(clipboardText().count('\n'), 2) << qPrintable(clipboardText());

    // Translated again: the same capture keeps one record, the later
    // translation's; all of the translation copies; the saved file adds none.
    QSignalSpy stored(&view()->translation(), &SelInlineTranslation::historySaveFinished);
    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(waitState(State::done));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored.size() == 1; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return records() == before + 1; }, 10000));
    test::pressKeys("ctrl+a ctrl+c");
    QTest::qWait(150);
    EXPECT_EQ(clipboardText(), view()->translation().translatedText());
    click(translatedButton("保存"));
    EXPECT_FALSE(overlay().isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(m_folder).entryList(QDir::Files).size() == 1; }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(records(), before + 1);
}

TEST_F(InlineDesktopTest, escWhileTranslatingCancels_AndTheMissingPairIsNamed_WithNothingRecorded)
{
    const int before = records();
    ASSERT_TRUE(selectTheText());
    click(toolbar()->actionButton(SelAction::translate), 1, {"key", "Escape"});
    EXPECT_EQ(view()->translation().state(), State::idle);
    EXPECT_TRUE(overlay().isActive());  // Esc cancelled the translation, not the overlay
    QTest::qWait(1500);
    EXPECT_EQ(view()->translation().state(), State::idle);
    EXPECT_EQ(records(), before);
    key("Escape");

    platform::SettingsStore::shared().remove("targetLanguage");  // Simplified Chinese
    ASSERT_TRUE(selectTheText());
    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(QTest::qWaitFor([] { return !toast().isEmpty(); }, 60000));
    const QString message = toast();
    EXPECT_TRUE(message.startsWith("翻译失败") && message.contains("西班牙语") && message.contains("简体中文"))
        << qPrintable(message);
    EXPECT_EQ(view()->translation().state(), State::idle);
    QTest::qWait(300);
    EXPECT_EQ(records(), before);
}

// Text selecting, a rectangle, Return: the selection shows exactly what copy hands on.
TEST_F(InlineDesktopTest, aTranslationAfterTextSelectingAndMarks_ShowsExactlyTheCopiedPicture)
{
    ASSERT_TRUE(selectTheText());
    click(toolbar()->textSelectBoxes().value(0)->button());
    click(toolbar()->toolButton(AnnoTool::rectangle));
    const QPoint corner = kText.topLeft() + QPoint(40, 30);
    xdotool(QStringList{"mousemove"} + at(corner) + QStringList{"mousedown", "1", "mousemove"} +
            at(corner + QPoint(150, 100)) + QStringList{"mousemove"} + at(corner + QPoint(300, 200)) +
            QStringList{"mouseup", "1"});
    QTest::qWait(200);
    key("Return");
    ASSERT_TRUE(waitState(State::done));
    ASSERT_TRUE(QTest::qWaitFor([] { return !view()->chrome()->toast(); }, 5000));  // nothing over the picture
    const QString text = shownText();
    EXPECT_TRUE(text.contains("cat") && !text.contains("gato")) << qPrintable(text);
    const QRect selection = view()->selection().toRect();
    const QImage shown = QImage::fromData(test::programOutput("import", {"-window", "root", "png:-"}), "PNG")
                             .copy(selection)
                             .convertToFormat(QImage::Format_RGB32);
    click(translatedButton("复制"));
    ASSERT_FALSE(overlay().isActive());
    const QImage copied = platform::services().clipboard->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(test::differingPixels(shown, copied, 2), 0);  // inside the selection's frame
    const QColor edge = copied.pixelColor(corner.x() - selection.x(), corner.y() - selection.y() + 100);
    EXPECT_TRUE(edge.red() > 180 && edge.green() < 100) << qPrintable(edge.name());  // the rectangle, on top
}
