// Where a long screenshot ends up when the capture folder cannot take it as
// asked: JPEG too tall, a folder that takes no file, another file system, a
// full one. The real output path, toast and clipboard (offscreen).
#include "StitchTestSupport.h"
#include "app/CaptureHUDController.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "scroll/ScrollDelivery.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace klipo;

namespace {

QuickCaptureOutput::Options folder(const QString& directory, CaptureFileFormat format = CaptureFileFormat::png)
{
    return {.directory = directory, .format = format, .copyToClipboard = false, .saveHistory = false};
}

QStringList filesIn(const QString& directory) { return QDir(directory).entryList(QDir::Files); }

// Waits for the toast with this title; its subtitle. The toast is taken down.
QString toastSubtitle(const QString& title)
{
    auto& hud = CaptureHUDController::shared();
    const bool shown = QTest::qWaitFor([&] { return hud.isShowingToast() && hud.currentTitle() == title; }, 20000);
    const QString subtitle = shown ? hud.currentSubtitle() : QStringLiteral("(no toast: ") + hud.currentTitle();
    hud.dismiss(false);
    return subtitle;
}

// The temporary-folder file that a subtitle names.
QString namedTempFile(const QString& subtitle)
{
    const QString path = subtitle.section(QStringLiteral("已改存到 "), -1);
    return path.startsWith(QDir::tempPath()) ? path.left(path.indexOf(QStringLiteral(".png")) + 4) : QString();
}

}  // namespace

TEST(ScrollDelivery, aLongImageChosenAsJpeg_IsSavedAsPng_AndTheToastSaysSo)
{
    QImage tall(6, 70000, QImage::Format_RGB32);
    tall.fill(Qt::white);
    for (int y = 0; y < tall.height(); ++y) tall.setPixel(y % 6, y, qRgb(y % 256, (y / 256) % 256, 9));
    const QString dir = test::freshDir("jpeg");
    ScrollDelivery::deliver(tall, QStringLiteral("帧数达到上限，已自动完成"), folder(dir, CaptureFileFormat::jpeg));
    const QString subtitle = toastSubtitle(QStringLiteral("截图已保存"));
    EXPECT_TRUE(subtitle.endsWith(QStringLiteral("；长图超过 JPEG 的 65500 行上限，已存为 PNG；帧数达到上限，已自动完成")))
        << qPrintable(subtitle);
    ASSERT_EQ(filesIn(dir).size(), 1);
    EXPECT_TRUE(filesIn(dir)[0].endsWith(QStringLiteral(".png")));
    EXPECT_TRUE(test::samePixels(QImage(QDir(dir).filePath(filesIn(dir)[0])), tall));
}

// Seams not matched exactly: the image is kept and copied, and the toast says
// it may be wrong, also with toasts switched off.
TEST(ScrollDelivery, anInexactStitch_IsKeptAndCopied_ButNotReportedAsASuccess)
{
    const QImage image = test::noiseFrame(300, 200, 3).convertToFormat(QImage::Format_RGB32);
    const QString dir = test::freshDir("inexact");
    QuickCaptureOutput::Options options = folder(dir);
    options.copyToClipboard = true;
    options.showHUD = false;
    ScrollDelivery::deliver(image, QStringLiteral("帧数达到上限，已自动完成"), options, 2);
    const QString subtitle = toastSubtitle(QStringLiteral("长截图可能拼接有误"));
    ASSERT_EQ(filesIn(dir).size(), 1);
    EXPECT_TRUE(subtitle.contains(filesIn(dir)[0])) << qPrintable(subtitle);
    EXPECT_TRUE(test::samePixels(QImage(QDir(dir).filePath(filesIn(dir)[0])), image));
    EXPECT_TRUE(test::samePixels(platform::services().clipboard->image(), image));
}

TEST(ScrollDelivery, aFolderThatTakesNoFile_SendsTheImageToTheTemporaryFolder_ElseToTheClipboard)
{
    const QImage image = test::noiseFrame(300, 200, 5).convertToFormat(QImage::Format_RGB32);
    const QString unusable = QStringLiteral("/dev/null/截图");
    ScrollDelivery::deliver(image, {}, folder(unusable));
    const QString rescued = namedTempFile(toastSubtitle(QStringLiteral("长截图未能存入截图文件夹")));
    ASSERT_FALSE(rescued.isEmpty());
    EXPECT_TRUE(test::samePixels(QImage(rescued), image));
    QFile::remove(rescued);

    const ScrollDelivery::Saved saved = ScrollDelivery::saveNow(image, folder(unusable));
    EXPECT_TRUE(saved.inTemporaryFolder);
    EXPECT_TRUE(ScrollDelivery::quitNotice(saved).body.contains(saved.path));
    QFile::remove(saved.path);

    // Neither folder: the clipboard, although copying is switched off.
    const QByteArray tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/dev/null/tmp");
    ScrollDelivery::deliver(image, {}, folder(unusable));
    const QString subtitle = toastSubtitle(QStringLiteral("长截图保存失败"));
    qputenv("TMPDIR", tmp);
    EXPECT_TRUE(subtitle.endsWith(QStringLiteral("；图片已复制到剪贴板，请尽快粘贴保存"))) << qPrintable(subtitle);
    EXPECT_TRUE(test::samePixels(platform::services().clipboard->image(), image));
}

// Two file systems of their own (tmpfs in a private mount namespace): one
// large, one too small for the image. Skips where namespaces are not allowed.
TEST(ScrollDelivery, onAnotherFileSystem_TheImageIsSaved_AndOnAFullOne_KeptInTheTemporaryFolder)
{
    if (!qEnvironmentVariableIsSet("KLIPO_TEST_IN_NAMESPACE")) {
        QProcess inner;
        inner.setProcessChannelMode(QProcess::MergedChannels);
        inner.start(QStringLiteral("env"), {"KLIPO_TEST_IN_NAMESPACE=1", "unshare", "-rm",
                                            QCoreApplication::applicationFilePath(),
                                            "--gtest_filter=ScrollDelivery.onAnotherFileSystem*"});
        ASSERT_TRUE(inner.waitForFinished(60000));
        const QString output = QString::fromUtf8(inner.readAll());
        if (output.contains(QStringLiteral("NO-NAMESPACE"))) GTEST_SKIP() << "no private mount namespace here";
        EXPECT_EQ(inner.exitCode(), 0) << qPrintable(output);
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(output);
        return;
    }
    const auto mountTmpfs = [](const QString& size) {
        const QString dir = test::freshDir(QStringLiteral("fs"));
        return QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=" + size, "tmpfs", dir}) == 0
                   ? dir
                   : QString();
    };
    const QString large = mountTmpfs(QStringLiteral("16m"));
    const QString full = mountTmpfs(QStringLiteral("64k"));
    if (large.isEmpty() || full.isEmpty()) {
        std::puts("NO-NAMESPACE");
        return;
    }
    const QImage image = test::noiseFrame(400, 300, 8).convertToFormat(QImage::Format_RGB32);  // PNG over 64 KiB

    ScrollDelivery::deliver(image, {}, folder(large));
    toastSubtitle(QStringLiteral("截图已保存"));
    ASSERT_EQ(filesIn(large).size(), 1);
    EXPECT_TRUE(test::samePixels(QImage(QDir(large).filePath(filesIn(large)[0])), image));

    ScrollDelivery::deliver(image, {}, folder(full));
    const QString subtitle = toastSubtitle(QStringLiteral("长截图未能存入截图文件夹"));
    const QString rescued = namedTempFile(subtitle);
    ASSERT_FALSE(rescued.isEmpty()) << qPrintable(subtitle);
    EXPECT_TRUE(test::samePixels(QImage(rescued), image)) << qPrintable(rescued);
    EXPECT_TRUE(filesIn(full).isEmpty()) << "no partial file left behind";
    QFile::remove(rescued);
    for (const QString& dir : {large, full}) QProcess::execute(QStringLiteral("umount"), {dir});
}
