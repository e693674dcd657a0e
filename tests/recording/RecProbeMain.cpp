// A recording in a process of its own, for the tests that kill it or let it
// run out of disk. Records a synthetic desktop, saves into the capture folder
// and prints what happened, one "key=value" a line:
//   recording_probe --capture DIR --temp DIR [--size WxH] [--fps N] [--seconds S]
//                   [--noise] [--fsize-limit BYTES]
#include "platform/media/MediaProbe.h"
#include "recording/RecEngine.h"
#include "recording/RecFakes.h"
#include "recording/RecFiles.h"

#include <QCommandLineParser>
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
    QCommandLineParser parser;
    const QCommandLineOption capture(QStringLiteral("capture"), {}, QStringLiteral("dir"));
    const QCommandLineOption temp(QStringLiteral("temp"), {}, QStringLiteral("dir"));
    const QCommandLineOption size(QStringLiteral("size"), {}, QStringLiteral("WxH"), QStringLiteral("320x240"));
    const QCommandLineOption fps(QStringLiteral("fps"), {}, QStringLiteral("n"), QStringLiteral("30"));
    const QCommandLineOption seconds(QStringLiteral("seconds"), {}, QStringLiteral("s"), QStringLiteral("2"));
    const QCommandLineOption noise(QStringLiteral("noise"));
    const QCommandLineOption fsizeLimit(QStringLiteral("fsize-limit"), {}, QStringLiteral("bytes"));
    parser.addOptions({capture, temp, size, fps, seconds, noise, fsizeLimit});
    parser.process(app);

    if (parser.isSet(fsizeLimit)) {
        // Writes past the limit then fail with EFBIG instead of ending the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = parser.value(fsizeLimit).toULongLong();
        const rlimit bound{limit, limit};
        setrlimit(RLIMIT_FSIZE, &bound);
    }
    const RecFormat format = RecFormat::mp4;
    const auto tempPath = RecFiles::createTempFile(parser.value(capture), parser.value(temp), format);
    if (!tempPath) {
        say(QStringLiteral("error=no temporary file"));
        return 1;
    }
    const QStringList wh = parser.value(size).split(QLatin1Char('x'));
    RecEngine engine(test::targetOfSize(QSize(wh.value(0).toInt(), wh.value(1).toInt())),
                     RecOptions{format, parser.value(fps).toInt(), false}, *tempPath,
                     test::syntheticParts(parser.isSet(noise) ? test::SyntheticGrabber::Mode::noise
                                                              : test::SyntheticGrabber::Mode::pattern));
    engine.setOnRuntimeError([](const QString& message) {
        say(QStringLiteral("runtime-error=") + message);
        QCoreApplication::quit();
    });
    if (auto failure = engine.start()) {
        say(QStringLiteral("error=") + *failure);
        return 1;
    }
    say(QStringLiteral("recording=") + *tempPath);
    QTimer::singleShot(int(parser.value(seconds).toDouble() * 1000), &app, &QCoreApplication::quit);
    app.exec();

    const RecStopResult result = engine.stop();
    if (!result.file) {
        say(QStringLiteral("no-file"));
        return 0;
    }
    if (result.cutShortReason) say(QStringLiteral("cut-short=") + *result.cutShortReason);
    const RecFiles::ExportResult saved =
        RecFiles::exportRecording(*result.file, format, parser.value(capture), QDateTime::currentDateTime());
    if (!saved.ok()) {
        say(QStringLiteral("save-error=") + saved.error);
        return 0;
    }
    const auto info = platform::media::probeMediaFile(*saved.savedPath);
    say(QStringLiteral("saved=") + *saved.savedPath);
    say(QStringLiteral("playable=%1 frames=%2 duration=%3")
            .arg(info.playable() ? QStringLiteral("true") : QStringLiteral("false"))
            .arg(info.videoFramesDecoded)
            .arg(info.durationSeconds, 0, 'f', 2));
    return 0;
}
