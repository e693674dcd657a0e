// The screenshot tools on the headless desktop: a plain screenshot dragged
// with the real region picker and read back from the clipboard by another
// program, and pins made by the hot key from what other programs copied.
// Needs the headless X11 desktop, xdotool and xclip; skips without a display.
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "ToolsFakes.h"
#include "app/SettingsFixture.h"
#include "platform/LinkOpener.h"
#include "platform/RegionPickerWindow.h"
#include "recognition/SearchTextIndexer.h"
#include "stores/HistoryStore.h"
#include "support/TestEnv.h"
#include "tools/PinContentView.h"
#include "tools/PinMenu.h"
#include "tools/PinWindow.h"
#include "tools/PlainCaptureService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>

using namespace klipo;

namespace {

using test::xdotool;
const auto output = test::programOutput;

QByteArray xclipOut(const QString& target)
{
    return output("xclip", {"-selection", "clipboard", "-t", target, "-o"});
}

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

class ToolsDesktop : public test::SettingsTest {
protected:
    void SetUp() override
    {
        if (!test::hasX11Display()) GTEST_SKIP() << "needs the headless X11 desktop";
        CaptureHUDController::shared().dismiss(false);
    }
    void TearDown() override
    {
        PinWindowController::closeAll();
        SettingsTest::TearDown();
    }
    QString m_dir = test::freshDir("desktop");
};

}  // namespace

TEST_F(ToolsDesktop, plainCapture_SavesTheDraggedRegion_CopiesPngAndTiff_AndMakesItsTextSearchable)
{
    set("plainCaptureDirectory", m_dir);
    set("selCaptureOverlayEnabled", false);
    PlainCaptureService::setTextIndexer(SearchTextIndexer::index);
    QLabel window(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint);
    window.setStyleSheet("background: white; color: black; font-size: 56px;");
    window.setText("Marmalade harbour");
    window.setAlignment(Qt::AlignCenter);
    window.setGeometry(200, 150, 700, 250);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    QCursor::setPos(1800, 1000);

    PlainCaptureService::start(CaptureService::Mode::interactive, {});
    ASSERT_TRUE(QTest::qWaitFor(pickerShown));
    ASSERT_TRUE(xdotool({"mousemove", "200", "150", "mousedown", "1", "mousemove", "500", "300", "mousemove", "900",
                         "400", "mouseup", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("截图已保存并复制"); }, 10000))
        << test::toastTitle().toStdString();
    const QStringList files = QDir(m_dir).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QImage saved = QImage(m_dir + "/" + files.first()).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(saved.size(), QSize(700, 250));

    const QList<QByteArray> targets = xclipOut("TARGETS").split('\n');
    EXPECT_TRUE(targets.contains("image/png") && targets.contains("image/tiff")) << xclipOut("TARGETS").toStdString();
    EXPECT_EQ(QImage::fromData(xclipOut("image/png"), "PNG").convertToFormat(QImage::Format_RGB32), saved);
    EXPECT_EQ(QImage::fromData(xclipOut("image/tiff"), "TIFF").convertToFormat(QImage::Format_RGB32), saved);

    const QString title = QFileInfo(files.first()).completeBaseName();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto records = HistoryStore::shared().allRecords();
            return !records.isEmpty() && records.first().originalText.contains("Marmalade");
        },
        60000));
    EXPECT_TRUE(HistoryStore::shared().allRecords().first().originalText.endsWith(title));

    PlainCaptureService::setTextIndexer(nullptr);
}

TEST_F(ToolsDesktop, pinHotKey_PinsCopiedImageFilesAndData_FloatsOnAllDesktops_AndRefusesWhatIsNoImage)
{
    using namespace GlobalShortcuts;
    setShortcut(Shortcut(Key::p, Qt::ControlModifier | Qt::ShiftModifier), Name::pinFromClipboard());
    QObject context;
    ASSERT_EQ(onKeyDown(Name::pinFromClipboard(), &context, [] { PinMenuProvider::pinFromClipboard(); }).state,
              Registration::State::registered);

    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(QColor(0x33, 0x66, 0xcc));
    ASSERT_TRUE(image.save(m_dir + "/a.png") && image.save(m_dir + "/b.jpg") && image.save(m_dir + "/c.tif"));
    QFile text(m_dir + "/words.txt");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("只有文字") > 0);
    text.close();
    QFile broken(m_dir + "/broken.png");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("\x89PNG\r\n\x1a\n but not a picture") > 0);
    broken.close();
    QImage huge(6000, 6000, QImage::Format_RGB32);  // more than the decoder may allocate
    huge.fill(Qt::white);
    ASSERT_TRUE(huge.save(m_dir + "/huge.png"));
    // What a file manager copies: the first local image file among the URLs counts.
    const auto uriList = [&](const QString& name) {
        const QString list = m_dir + "/" + name + ".uris";
        QFile file(list);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("https://example.com/a.png\r\n" + QUrl::fromLocalFile(m_dir + "/words.txt").toEncoded() + "\r\n" +
                   QUrl::fromLocalFile(m_dir + "/" + name).toEncoded() + "\r\n");
        return list;
    };
    QCursor::setPos(900, 500);

    const auto pressAndExpectPin = [&](const QString& what) {
        const auto before = PinWindowController::pinned().size();
        ASSERT_TRUE(xdotool({"key", "ctrl+shift+p"}));
        ASSERT_TRUE(QTest::qWaitFor([&] { return PinWindowController::pinned().size() == before + 1; }, 5000))
            << what.toStdString() << " " << test::toastTitle().toStdString();
        EXPECT_EQ(PinWindowController::pinned().last()->image().size(), QSize(120, 80)) << what.toStdString();
    };
    for (const QString name : {"a.png", "b.jpg", "c.tif"}) {
        ASSERT_NO_FATAL_FAILURE(xclipIn("text/uri-list", uriList(name)));
        ASSERT_NO_FATAL_FAILURE(pressAndExpectPin(name));
    }
    ASSERT_NO_FATAL_FAILURE(xclipIn("image/png", m_dir + "/a.png"));
    ASSERT_NO_FATAL_FAILURE(pressAndExpectPin("image data"));

    const auto pressAndExpectRefusal = [&](const QString& target, const QString& file) {
        ASSERT_NO_FATAL_FAILURE(xclipIn(target, file));
        CaptureHUDController::shared().dismiss(false);
        const auto before = PinWindowController::pinned().size();
        ASSERT_TRUE(xdotool({"key", "ctrl+shift+p"}));
        ASSERT_TRUE(QTest::qWaitFor([] { return test::toastTitle() == QStringLiteral("剪贴板里没有图片"); }, 5000))
            << file.toStdString();
        EXPECT_EQ(PinWindowController::pinned().size(), before);
    };
    pressAndExpectRefusal("UTF8_STRING", m_dir + "/words.txt");
    pressAndExpectRefusal("image/png", m_dir + "/broken.png");
    pressAndExpectRefusal("image/png", m_dir + "/huge.png");
    pressAndExpectRefusal("text/uri-list", uriList("huge.png"));

    // The newest pin: above other windows on every desktop; keys once it is clicked.
    PinWindowController* pin = PinWindowController::pinned().last();
    const QString id = QString::number(pin->panel()->winId());
    const QString state = QString::fromLatin1(output("xprop", {"-id", id, "_NET_WM_STATE", "_NET_WM_DESKTOP"}));
    // openbox keeps a window on every desktop by its desktop number alone (it has no sticky state).
    EXPECT_TRUE(state.contains("_NET_WM_STATE_ABOVE") && state.contains("_NET_WM_DESKTOP(CARDINAL) = 4294967295"))
        << state.toStdString();

    const QPoint centre = pin->panel()->geometry().center();
    ASSERT_TRUE(xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->panel()->isActiveWindow(); }, 3000));
    QStringList brackets{"key", "--delay", "20"};
    for (int i = 0; i < 9; ++i) brackets << "bracketleft";
    ASSERT_TRUE(xdotool(brackets));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->opacity() < 0.21; }, 3000)) << pin->opacity();
    const QString opacity = QString::fromLatin1(output("xprop", {"-id", id, "_NET_WM_WINDOW_OPACITY"}));
    EXPECT_TRUE(opacity.contains(QString::number(quint32(0.2 * 0xffffffffu)))) << opacity.toStdString();

    setShortcut(std::nullopt, Name::pinFromClipboard());
    QGuiApplication::clipboard()->setText({});  // the last xclip lets go and ends
}

TEST_F(ToolsDesktop, aLinkNoProgramTakesIsReportedAsNotOpened)
{
    std::optional<bool> opened;
    platform::openLink(QUrl("weixin://dl/chat?klipo-test"), [&](bool ok) { opened = ok; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.has_value(); }, 20000));
    EXPECT_FALSE(*opened);
}
