// A recording in a process of its own, for the tests that kill it or let it
// run out of disk. Records a synthetic desktop (320x240 at 30 pictures a
// second; with --noise 640x480 of noise at 60), saves into the capture folder
// and prints what happened, one "key=value" a line:
//   recording_probe --capture DIR --private DIR [--seconds S] [--noise] [--fsize-limit BYTES]
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "recording/RecFiles.h"

#include <QCoreApplication>
#include <QTimer>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>

using namespace klipo;

namespace {
void say(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&](const char* name) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at < 0 ? QString() : args.value(at + 1);
    };
    const bool noise = args.contains(QLatin1String("--noise"));
    if (!option("--fsize-limit").isEmpty()) {
        // Writes past the limit then fail with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = option("--fsize-limit").toULongLong();
        const rlimit bound{limit, limit};
        setrlimit(RLIMIT_FSIZE, &bound);
    }
    const QString capture = option("--capture");
    const auto tempPath = RecFiles::createTempFile(option("--private"), RecFormat::mp4);
    if (!tempPath) {
        say(QStringLiteral("error=no temporary file"));
        return 1;
    }
    using Mode = test::SyntheticGrabber::Mode;
    RecEngine engine(test::targetOfSize(noise ? QSize(640, 480) : QSize(320, 240)),
                     RecOptions{RecFormat::mp4, noise ? 60 : 30, false}, *tempPath,
                     test::syntheticParts(noise ? Mode::noise : Mode::pattern));
    engine.setOnRuntimeError([](const QString& message) {
        say(QStringLiteral("runtime-error=") + message);
        QCoreApplication::quit();
    });
    if (auto failure = engine.start()) {
        say(QStringLiteral("error=") + *failure);
        return 1;
    }
    say(QStringLiteral("recording=") + *tempPath);
    const QString seconds = option("--seconds");
    QTimer::singleShot(seconds.isEmpty() ? 2000 : int(seconds.toDouble() * 1000), &app, &QCoreApplication::quit);
    app.exec();

    const RecStopResult result = engine.stop();
    if (!result.file) {
        say(QStringLiteral("no-file"));
        return 0;
    }
    if (result.cutShortReason) say(QStringLiteral("cut-short=") + *result.cutShortReason);
    const RecFiles::ExportResult saved =
        RecFiles::exportRecording(*result.file, RecFormat::mp4, capture, QDateTime::currentDateTime());
    if (!saved.ok()) {
        say(QStringLiteral("save-error=") + saved.error);
        return 0;
    }
    const auto info = platform::media::probeMediaFile(*saved.savedPath);
    say(QStringLiteral("saved=") + *saved.savedPath);
    say(QStringLiteral("playable=%1 frames=%2").arg(info.playable() ? "true" : "false").arg(info.videoFramesDecoded));
    return 0;
}
