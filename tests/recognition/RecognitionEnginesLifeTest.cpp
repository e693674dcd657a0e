// The life of the recognition engines: loaded when needed, never more than
// there are threads, freed after their idle time; and a program that
// recognised something exits cleanly, whether it shut them down at quit or not.
#include "ScreenFixtures.h"
#include "platform/text/TesseractRecognizer.h"

#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace klipo;

namespace {

long residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong() / 1024;
    return 0;
}

platform::RecognitionOutcome recognize(platform::TesseractRecognizer& recognizer, const QImage& image)
{
    platform::RecognitionOutcome out;
    recognizer.recognize(image, {}, [&](platform::RecognitionOutcome o) { out = std::move(o); });
    return out;
}

}  // namespace

TEST(RecognitionEngines, loadOnNeed_StayWithinTheThreads_AndAreFreedWhenIdle)
{
    platform::TesseractRecognizer::Options options;
    options.threads = 4;
    options.idleLimit = std::chrono::milliseconds(300);
    platform::TesseractRecognizer recognizer(options);

    QImage blank(640, 480, QImage::Format_RGB32);
    blank.fill(Qt::white);
    EXPECT_TRUE(recognize(recognizer, blank).ok);
    EXPECT_EQ(recognizer.loadedEngines(), 0);  // nothing to read, nothing loaded

    const test::Screen mixed = test::drawScreen(test::ScreenKind::Desktop, test::ScreenLanguage::Mixed);
    const platform::RecognitionOutcome outcome = recognize(recognizer, mixed.image);
    ASSERT_TRUE(outcome.ok) << qPrintable(outcome.error);
    EXPECT_GT(outcome.lines.size(), 100u);
    const int loaded = recognizer.loadedEngines();
    EXPECT_GT(loaded, 0);
    EXPECT_LE(loaded, 3 * options.threads);  // Latin, Chinese and the mixed model at most
    EXPECT_LT(residentMb(), 1000);

    for (int i = 0; i < 50 && recognizer.loadedEngines() > 0; ++i) QThread::msleep(100);
    EXPECT_EQ(recognizer.loadedEngines(), 0);
    EXPECT_LT(residentMb(), 300);

    recognizer.shutDown();
    EXPECT_FALSE(recognize(recognizer, mixed.image).ok);  // shut down: a failure, not a hang
}

// The probe ends half the time without shutting the engines down (the exit
// handler must do it before Tesseract's statics go).
TEST(RecognitionEngines, programExitsCleanly_AfterRecognisingNothing)
{
    for (int run = 0; run < 6; ++run) {
        QProcess probe;
        probe.start(QStringLiteral(KLIPO_EXIT_PROBE), run % 2 ? QStringList{QStringLiteral("--shut-down")} : QStringList{});
        ASSERT_TRUE(probe.waitForFinished(60000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << "run " << run << " crashed";
        EXPECT_EQ(probe.exitCode(), 0) << qPrintable(QString::fromUtf8(probe.readAllStandardError()));
    }
}
