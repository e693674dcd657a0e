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
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonValue>
#include <QLabel>
#include <QProcess>
#include <QTest>

using namespace klipo;
using State = SelInlineTranslation::State;

namespace {

const QRect kText(150, 170, 1100, 380);  // the window's three lines, on the screen

int xdotool(const QStringList& arguments) { return QProcess::execute(QStringLiteral("xdotool"), arguments); }

class InlineDesktopTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!test::hasX11Display()) return;
        s_window = new QProcess;
        s_window->start(QCoreApplication::applicationDirPath() + QStringLiteral("/../klipo_foreign_window"),
                        {QStringLiteral("--at"), QStringLiteral("100,100,1200,560"),
                         QStringLiteral("El gato duerme en la casa grande."),
                         QStringLiteral("Mi hermano trabaja en la ciudad."),
                         QStringLiteral("Los perros comen en el jardín.")});
        if (!QTest::qWaitFor([] { return s_window->canReadLine(); }, 10000)) return;
        QTest::qWait(300);
        static OverlayOutputs outputs;
        SelOverlayController::shared().setOutputs(&outputs);
        GlobalShortcuts::onKeyDown(GlobalShortcuts::Name::captureTranslate(), qApp, [] {
            auto& overlay = SelOverlayController::shared();
            if (overlay.isActive()) return overlay.cancel();
            SelRequest request;
            request.primaryAction = SelAction::translate;
            overlay.begin(std::move(request));
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
        set("plainCaptureDirectory", m_folder);
        set("saveHistory", true);
        set("targetLanguage", "en");
    }

    void TearDown() override
    {
        overlay().cancel();
        platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));
        QTest::qWait(100);
    }

    static void set(const char* key, const QJsonValue& value)
    {
        platform::SettingsStore::shared().setValue(QString::fromLatin1(key), value);
    }
    static SelOverlayController& overlay() { return SelOverlayController::shared(); }
    static SelOverlayView* view() { return overlay().activeView(); }
    static SelInlineToolbar* toolbar() { return view()->chrome()->toolbar(); }
    static int records() { return int(HistoryStore::shared().allRecords().size()); }

    // Ctrl+Shift+T, then a drag over the text: the view that is editing it.
    static SelOverlayView* selectTheText()
    {
        key(QStringLiteral("ctrl+shift+t"));
        if (!QTest::qWaitFor([] { return overlay().windows().size() == 1; }, 5000)) return nullptr;
        QTest::qWait(300);
        xdotool({QStringLiteral("mousemove"), QString::number(kText.left()), QString::number(kText.top()),
                 QStringLiteral("mousedown"), QStringLiteral("1")});
        xdotool({QStringLiteral("mousemove"), QString::number(kText.center().x()), QString::number(kText.center().y())});
        xdotool({QStringLiteral("mousemove"), QString::number(kText.right()), QString::number(kText.bottom()),
                 QStringLiteral("mouseup"), QStringLiteral("1")});
        if (!QTest::qWaitFor([] { return overlay().phase() == SelPhase::editing; }, 3000)) return nullptr;
        return view();
    }

    static void key(const QString& name)
    {
        xdotool({QStringLiteral("key"), name});
        QTest::qWait(150);
    }

    // Moves the pointer to the widget's middle and clicks `times`, then runs `after` (xdotool words).
    static void click(QWidget* widget, int times = 1, const QStringList& after = {})
    {
        const QPoint at = widget->mapToGlobal(widget->rect().center());
        click(at, times, after);
    }
    static void click(QPoint at, int times = 1, const QStringList& after = {})
    {
        xdotool(QStringList{QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                            QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(times),
                            QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")} +
                after);
        QTest::qWait(250);
    }

    static bool waitState(State state, int ms = 60000)
    {
        return QTest::qWaitFor([state] { return view() && view()->translation().state() == state; }, ms);
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
        QProcess p;
        p.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        p.waitForFinished(20000);
        const QImage screen = QImage::fromData(p.readAllStandardOutput(), "PNG");
        QFuture<OcrOutcome> reading = OCRService::recognizeBlocks(screen.copy(view()->selection().toRect()), false);
        if (!QTest::qWaitFor([&] { return reading.isFinished(); }, 30000)) return {};
        QStringList lines;
        for (const TextBlock& block : reading.result().blocks) lines << block.text;
        return lines.join(QLatin1Char('\n')).toLower();
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

TEST_F(InlineDesktopTest, translatesSpanishIntoEnglishInPlace_CopiesReverts_AndRecordsEachTranslationOnce)
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
    EXPECT_TRUE(clipboardText().contains(QStringLiteral("cat")));
    click(translatedButton(QStringLiteral("还原")));
    ASSERT_EQ(view()->translation().state(), State::idle);
    EXPECT_TRUE(shownText().contains("gato"));

    // Translated again and saved: one more record, none for the saved file.
    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(waitState(State::done));
    ASSERT_TRUE(QTest::qWaitFor([&] { return records() == before + 2; }, 10000));
    click(translatedButton(QStringLiteral("保存")));
    EXPECT_FALSE(overlay().isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(m_folder).entryList(QDir::Files).size() == 1; }, 5000));
    QTest::qWait(500);
    EXPECT_EQ(records(), before + 2);
}

TEST_F(InlineDesktopTest, escWhileTranslatingCancels_AndTheMissingPairIsNamed_WithNothingRecorded)
{
    const int before = records();
    ASSERT_TRUE(selectTheText());
    click(toolbar()->actionButton(SelAction::translate), 1, {QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_EQ(view()->translation().state(), State::idle);
    EXPECT_TRUE(overlay().isActive());  // Esc cancelled the translation, not the overlay
    QTest::qWait(1500);
    EXPECT_EQ(view()->translation().state(), State::idle);
    EXPECT_EQ(records(), before);
    key(QStringLiteral("Escape"));

    platform::SettingsStore::shared().remove(QStringLiteral("targetLanguage"));  // Simplified Chinese
    ASSERT_TRUE(selectTheText());
    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(QTest::qWaitFor([] { return !toast().isEmpty(); }, 60000));
    const QString message = toast();
    EXPECT_TRUE(message.startsWith(QStringLiteral("翻译失败")) && message.contains(QStringLiteral("西班牙语")) &&
                message.contains(QStringLiteral("简体中文")))
        << qPrintable(message);
    EXPECT_EQ(view()->translation().state(), State::idle);
    QTest::qWait(300);
    EXPECT_EQ(records(), before);
}

TEST_F(InlineDesktopTest, selectsWordsLinesAndAllOfTheRecognisedText_ThenOfTheTranslation)
{
    ASSERT_TRUE(selectTheText());
    click(toolbar()->textSelectBoxes().value(0)->button());
    SelTextSelecting& selecting = view()->textSelecting();
    ASSERT_TRUE(QTest::qWaitFor([&] { return selecting.layer() && !selecting.layer()->isEmpty(); }, 30000));
    const SelTextItem& first = selecting.layer()->items()[0];
    const int gato = int(first.text.indexOf(QStringLiteral("gato")));
    ASSERT_GE(gato, 0) << qPrintable(first.text);

    click(onScreen(first, gato + 1), 2, {QStringLiteral("key"), QStringLiteral("ctrl+c")});
    EXPECT_EQ(clipboardText(), QStringLiteral("gato"));
    click(onScreen(first, gato + 1), 3, {QStringLiteral("key"), QStringLiteral("ctrl+c")});
    EXPECT_EQ(clipboardText(), first.text);
    EXPECT_TRUE(first.text.startsWith(QStringLiteral("El gato duerme"))) << qPrintable(first.text);
    key(QStringLiteral("ctrl+a"));
    key(QStringLiteral("ctrl+c"));
    EXPECT_EQ(clipboardText(), selecting.layer()->allText());
    EXPECT_EQ(clipboardText().count(QLatin1Char('\n')), 2) << qPrintable(clipboardText());

    click(toolbar()->actionButton(SelAction::translate));
    ASSERT_TRUE(waitState(State::done));
    key(QStringLiteral("ctrl+a"));
    key(QStringLiteral("ctrl+c"));
    EXPECT_EQ(clipboardText(), view()->translation().translatedText());
}
