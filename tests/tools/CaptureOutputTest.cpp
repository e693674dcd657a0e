// The capture folder's files and the shared output path: names never reused,
// the clipboard's byte limit, the toast, the history and the codes panel.
#include "ToolsFakes.h"
#include "app/SettingsFixture.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "stores/HistoryStore.h"
#include "tools/CaptureTextIndex.h"
#include "support/TestEnv.h"
#include "tools/CaptureFiles.h"
#include "tools/CaptureReport.h"
#include "tools/QuickBarcodeDetector.h"
#include "tools/QuickBarcodePanel.h"

#include <QPlainTextEdit>
#include "tools/QuickCaptureOutput.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QtConcurrent>

using namespace klipo;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QImage sample(const QSize& size = {64, 48})
{
    QImage image = test::whitePage(size);
    QPainter(&image).fillRect(QRect(QPoint(4, 4), size / 2), QColor(0x33, 0x66, 0xcc));
    return image;
}

class Delivery : public test::SettingsTest {
protected:
    void SetUp() override
    {
        set("plainCaptureDirectory", m_dir);
        CaptureHUDController::shared().dismiss(false);
        if (QWidget* panel = QuickBarcodePanelController::shared().panel()) panel->hide();
        clipboard()->setText("before");
    }

    static platform::Clipboard* clipboard() { return platform::services().clipboard; }
    static QWidget* codesPanel() { return QuickBarcodePanelController::shared().panel(); }
    static bool panelShown() { return codesPanel() && codesPanel()->isVisible(); }

    // Delivers and waits for the toast.
    static void deliverAndWait(const QImage& image, const QuickCaptureOutput::Request& request,
                               const QuickCaptureOutput::Options& options)
    {
        CaptureHUDController::shared().dismiss(false);
        QuickCaptureOutput::deliver(image, request, options);
        ASSERT_TRUE(QTest::qWaitFor([] { return CaptureHUDController::shared().isShowingToast(); }, 10000));
    }

    static QString subtitle() { return CaptureHUDController::shared().currentSubtitle(); }
    static QList<HistoryRecord> history() { return HistoryStore::shared().allRecords(); }

    QString m_dir = test::freshDir("captures");
};

}  // namespace

TEST(CaptureFiles, namesTheFirstFileAfterItsBase_AndTheNextOnesFromTwoOn)
{
    const QString dir = test::freshDir("numbered");
    QStringList names;
    for (const char* data : {"one", "two", "three"})
        names << QFileInfo(CaptureFiles::writeNewFile(dir, QStringLiteral("截图 2024-05-01"), "png", data).path)
                     .fileName();
    EXPECT_EQ(names.join(" | ").toStdString(), "截图 2024-05-01.png | 截图 2024-05-01 2.png | 截图 2024-05-01 3.png");
    EXPECT_EQ(readAll(dir + QStringLiteral("/截图 2024-05-01 2.png")), QByteArray("two"));
}

TEST(CaptureFiles, takesTheFirstFreeNamePast999_NeverReplacesAFile_EightWritersGetEightFiles_AndABlockingFileIsNamed)
{
    const QString dir = test::freshDir("names");
    writeFile(dir + "/name.png", "old 1");
    for (int n = 2; n <= 999; ++n) writeFile(QStringLiteral("%1/name %2.png").arg(dir).arg(n), "old " + QByteArray::number(n));

    const CaptureFiles::WriteResult next = CaptureFiles::writeNewFile(dir, "name", "png", "new");
    EXPECT_EQ(next.error, QString());
    EXPECT_EQ(QFileInfo(next.path).fileName(), QStringLiteral("name 1000.png"));
    EXPECT_EQ(readAll(next.path), QByteArray("new"));
    EXPECT_EQ(readAll(dir + "/name.png"), QByteArray("old 1"));
    for (int n = 2; n <= 999; ++n)
        ASSERT_EQ(readAll(QStringLiteral("%1/name %2.png").arg(dir).arg(n)), "old " + QByteArray::number(n)) << n;

    QFile::remove(dir + "/name 7.png");
    EXPECT_EQ(QFileInfo(CaptureFiles::writeNewFile(dir, "name", "png", "gap").path).fileName(), "name 7.png");

    // Eight writers at the same moment with the same base name.
    const QString burst = test::freshDir("burst");
    QList<int> writers{1, 2, 3, 4, 5, 6, 7, 8};
    const QList<CaptureFiles::WriteResult> results = QtConcurrent::blockingMapped(writers, [&](int i) {
        return CaptureFiles::writeNewFile(burst, "截图", "png", QByteArray(100000, char('a' + i)));
    });
    QSet<QString> paths;
    for (const auto& result : results) {
        EXPECT_EQ(result.error, QString());
        paths.insert(result.path);
        EXPECT_EQ(readAll(result.path).size(), 100000);
    }
    EXPECT_EQ(paths.size(), 8);
    EXPECT_EQ(QDir(burst).entryList(QDir::Files | QDir::Hidden).size(), 8);  // no leftovers

    // A file where a folder should be is named.
    writeFile(dir + "/plain-file", "x");
    const CaptureFiles::WriteResult blocked = CaptureFiles::writeNewFile(dir + "/plain-file/sub", "name", "png", "x");
    EXPECT_TRUE(blocked.path.isEmpty());
    EXPECT_TRUE(blocked.error.contains("plain-file") && blocked.error.contains(QStringLiteral("不是文件夹"))) << blocked.error.toStdString();
    EXPECT_TRUE(CaptureFiles::writeFileAt(dir + "/plain-file/x.png", "x").contains(QStringLiteral("不是文件夹")));
}

TEST(CodeReading, readsEachMatrixCodeOnce_AndOneLinearCodeWithoutAborting)
{
    QImage page = test::whitePage({900, 500});
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, "https://example.com/klipo", QRect(60, 60, 240, 240));
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, "https://example.com/klipo", QRect(360, 60, 240, 240));
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, "第二个码", QRect(640, 60, 240, 240));
    QStringList codes = QuickBarcodeDetector::detect(page);
    codes.sort();
    EXPECT_EQ(codes, (QStringList{"https://example.com/klipo", QStringLiteral("第二个码")}));

    QImage shelf = test::whitePage({900, 300});
    test::drawCode(shelf, ZXing::BarcodeFormat::EAN13, "5901234123457", QRect(40, 60, 380, 160));
    test::drawCode(shelf, ZXing::BarcodeFormat::EAN13, "4006381333931", QRect(480, 60, 380, 160));
    const QStringList linear = QuickBarcodeDetector::detect(shelf);
    ASSERT_EQ(linear.size(), 1);
    EXPECT_TRUE(linear[0] == "5901234123457" || linear[0] == "4006381333931") << linear[0].toStdString();

    EXPECT_TRUE(QuickBarcodeDetector::detect(sample()).isEmpty());
    EXPECT_TRUE(QuickBarcodeDetector::detect(QImage()).isEmpty());
}

TEST_F(Delivery, copiesUpToTheByteLimitExactly_AndOrdersTheSubtitle)
{
    const QImage image = sample();
    const qint64 bytes = CaptureFiles::encode(image, CaptureFileFormat::png).size();
    const QString folder = QFileInfo(m_dir).fileName();
    const auto options = QuickCaptureOutput::Options::current();

    ASSERT_NO_FATAL_FAILURE(deliverAndWait(image, {false, bytes, QStringLiteral("合成帧自测")}, options));
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图已保存并复制"));
    const QString firstName = subtitle().section(QStringLiteral(" · "), 1).section(QStringLiteral("；"), 0, 0);
    EXPECT_EQ(subtitle(), folder + " · " + firstName + QStringLiteral("；合成帧自测"));
    EXPECT_EQ(clipboard()->image().convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(QImage(m_dir + "/" + firstName), image);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history().value(0).originalText == QFileInfo(firstName).completeBaseName(); }));

    clipboard()->setText("before");
    ASSERT_NO_FATAL_FAILURE(deliverAndWait(image, {false, bytes - 1, QStringLiteral("合成帧自测")}, options));
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图已保存"));
    EXPECT_TRUE(subtitle().endsWith(QStringLiteral("；图片超过 %1，未复制到剪贴板；合成帧自测")
                                        .arg(CaptureReport::sizeText(bytes - 1))))
        << subtitle().toStdString();
    EXPECT_EQ(clipboard()->text(), "before");
    EXPECT_EQ(QDir(m_dir).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(CaptureReport::sizeText(1024), "1KB");  // not "0MB"
}

TEST_F(Delivery, showsTheCodesAfterTheToast_NoPanelWithoutCodes_AndAFolderThatCannotBeMadeStillCopiesWithNoHistoryNorCodes)
{
    QImage page = test::whitePage({800, 400});
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, "https://example.com/klipo", QRect(60, 60, 260, 260));
    test::drawCode(page, ZXing::BarcodeFormat::QRCode, "https://example.com/klipo", QRect(420, 60, 260, 260));
    ASSERT_NO_FATAL_FAILURE(deliverAndWait(page, {true, {}, {}}, QuickCaptureOutput::Options::current()));
    EXPECT_FALSE(panelShown());
    ASSERT_TRUE(QTest::qWaitFor([] { return panelShown(); }, 3000));
    EXPECT_EQ(QuickBarcodePanelController::shared().codes(), QStringList{"https://example.com/klipo"});
    EXPECT_FALSE(QuickBarcodePanelController::shared().openButton()->isHidden());
    codesPanel()->hide();
    auto options = QuickCaptureOutput::Options::current();
    options.showHUD = false;  // the panel does not depend on the toast
    QuickCaptureOutput::deliver(page, {true, {}, {}}, options);
    ASSERT_TRUE(QTest::qWaitFor([] { return panelShown(); }, 10000));
    codesPanel()->hide();
    ASSERT_NO_FATAL_FAILURE(deliverAndWait(sample(), {true, {}, {}}, QuickCaptureOutput::Options::current()));
    QTest::qWait(QuickCaptureOutput::barcodePanelDelayMs + 300);
    EXPECT_FALSE(panelShown());

    writeFile(m_dir + "/not-a-folder", "x");
    options.directory = m_dir + "/not-a-folder/captures";  // failures are told even without the toast
    const auto before = history().size();
    ASSERT_NO_FATAL_FAILURE(deliverAndWait(page, {true, {}, {}}, options));
    EXPECT_EQ(test::toastTitle(), QStringLiteral("截图保存失败"));
    EXPECT_TRUE(subtitle().contains(QStringLiteral("不是文件夹")) && subtitle().contains(QStringLiteral("已复制到剪贴板")))
        << subtitle().toStdString();
    EXPECT_EQ(clipboard()->image().convertToFormat(QImage::Format_RGB32), page);
    QTest::qWait(QuickCaptureOutput::barcodePanelDelayMs + 300);
    EXPECT_FALSE(panelShown());
    EXPECT_EQ(history().size(), before);
}

TEST_F(Delivery, codesPanel_OffersTheFirstLinkOnlyAfterAsking_AndSaysWhenNothingOpensIt)
{
    using Panel = QuickBarcodePanelController;
    EXPECT_EQ(Panel::firstLink({"ftp://example.com/file", " https://example.com/a \n"}), QUrl("https://example.com/a"));
    EXPECT_EQ(Panel::firstLink({"ftp://example.com/file", "not a link"}), std::nullopt);

    Panel& panel = Panel::shared();
    QList<QUrl> asked, opened;
    bool answer = false;
    panel.confirmOpen = [&](const QUrl& url) { return asked << url, answer; };
    panel.openUrl = [&](const QUrl& url, std::function<void(bool)> done) { opened << url, done(false); };
    panel.show({"plain word", "weixin://dl/chat "});
    panel.openLink();
    EXPECT_EQ(asked, QList<QUrl>{QUrl("weixin://dl/chat")});
    EXPECT_TRUE(opened.isEmpty());  // "取消"
    answer = true;
    panel.openLink();
    EXPECT_EQ(opened, QList<QUrl>{QUrl("weixin://dl/chat")});
    EXPECT_EQ(test::toastTitle(), QStringLiteral("无法打开链接"));

    panel.show({QString(100, 'x')});
    EXPECT_TRUE(panel.openButton()->isHidden());
    panel.copyCodes();
    EXPECT_EQ(clipboard()->text(), QString(100, 'x'));

    // A right-to-left override would show "evil\u202Eexe.txt" as "eviltxt.exe":
    // the direction controls are written out, on the panel and in the toast;
    // the clipboard gets the code as it is.
    const QString disguised = QStringLiteral("evil\u202Eexe.txt\u2066\u200F");
    panel.show({disguised});
    const QString shown = panel.textView()->toPlainText();
    EXPECT_EQ(shown, QStringLiteral("evil[U+202E]exe.txt[U+2066][U+200F]"));
    panel.copyCodes();
    EXPECT_EQ(clipboard()->text(), disguised);
    EXPECT_EQ(subtitle(), shown);
    panel.panel()->hide();
    panel.confirmOpen = nullptr;
    panel.openUrl = nullptr;
}

// A plain screenshot saved from the overlay is indexed for search like any
// other plain screenshot ("indexCaptureText" deciding); long screenshots and
// remembered areas keep their file title only.
TEST_F(Delivery, aPlainScreenshotSavedFromTheOverlayIsIndexed_OtherDeliveriesAreNot)
{
    QList<std::pair<QUuid, QString>> indexed;
    CaptureTextIndex::setIndexer([&](const QUuid& id, const QImage&, const QString& title) { indexed.append({id, title}); });
    const auto restore = qScopeGuard([] { CaptureTextIndex::setIndexer(nullptr); });
    auto options = QuickCaptureOutput::Options::current();
    const auto before = history().size();
    for (const bool index : {false, true}) {
        options.indexText = index;
        ASSERT_NO_FATAL_FAILURE(deliverAndWait(sample(), {}, options));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return history().size() == before + 2 && !indexed.isEmpty(); }, 5000));
    ASSERT_EQ(indexed.size(), 1);
    EXPECT_EQ(indexed[0].first, history().value(0).id);
    EXPECT_EQ(indexed[0].second, history().value(0).originalText);

    set("indexCaptureText", false);
    ASSERT_NO_FATAL_FAILURE(deliverAndWait(sample(), {}, options));
    ASSERT_TRUE(QTest::qWaitFor([&] { return history().size() == before + 3; }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(indexed.size(), 1);
}
