#include "recording/RecSelfTest.h"

#include "platform/SettingsStore.h"
#include "recording/RecGeometry.h"
#include "recording/RecService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <locale.h>

namespace klipo::RecSelfTest {

namespace {

const QRectF recordedRect(80, 80, 400, 300);
constexpr int firstWaitMs = 1000;
constexpr int startPolls = 100;
constexpr int pollMs = 100;
constexpr int watchdogMs = 20000;
// A recording may be this much shorter than asked and still pass.
constexpr double durationTolerance = 0.5;

bool g_ended = false;

void end(int status, const QString& line)
{
    if (g_ended) return;
    g_ended = true;
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    QCoreApplication::exit(status);
}

// Runs `next` after `seconds` (finite, not negative), in steps a timer can take.
void after(double seconds, std::function<void()> next)
{
    constexpr double step = 86400;
    if (seconds > step) {
        QTimer::singleShot(int(step * 1000), Qt::PreciseTimer, qApp, [seconds, next] { after(seconds - step, next); });
        return;
    }
    QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, qApp, next);
}

const char* stateName(RecService::RecState state)
{
    switch (state) {
    case RecService::RecState::idle: return "idle";
    case RecService::RecState::picking: return "picking";
    case RecService::RecState::options: return "options";
    case RecService::RecState::starting: return "starting";
    case RecService::RecState::recording: return "recording";
    case RecService::RecState::stopping: return "stopping";
    }
    return "idle";
}

QSize expectedSize(QScreen* screen)
{
    RecTarget target;
    target.screenGeometry = screen->geometry();
    target.scale = screen->devicePixelRatio();
    target.rect = recordedRect;
    return RecGeometry::outputSize(target);
}

void verify(const std::optional<QString>& path, QSize expected, double seconds)
{
    if (!path) {
        end(1, QStringLiteral("REC_SELFTEST_FAIL no-file"));
        return;
    }
    bool pass = false;
    const QString line = resultLine(*path, platform::media::probeMediaFile(*path), expected, seconds, &pass);
    end(pass ? 0 : 1, line);
}

void poll(int left, double seconds)
{
    RecService& service = RecService::shared();
    if (service.state == RecService::RecState::recording) {
        after(seconds, [seconds] {
            RecService::shared().stopRecording();
            QTimer::singleShot(watchdogMs, qApp, [] { end(1, QStringLiteral("REC_SELFTEST_FAIL timeout")); });
        });
        return;
    }
    if (left <= 0) {
        end(1, QStringLiteral("REC_SELFTEST_FAIL not-recording state=") + QLatin1String(stateName(service.state)));
        return;
    }
    QTimer::singleShot(pollMs, qApp, [left, seconds] { poll(left - 1, seconds); });
}

void run(int index, double seconds)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (index < 0 || index >= screens.size()) {
        end(2, QStringLiteral("REC_SELFTEST_FAIL no-screen index=%1 count=%2").arg(index).arg(screens.size()));
        return;
    }
    QScreen* screen = screens.at(index);
    const QSize expected = expectedSize(screen);
    RecService& service = RecService::shared();
    service.onSavedForTest = [expected, seconds](std::optional<QString> path) {
        QTimer::singleShot(0, qApp, [path, expected, seconds] { verify(path, expected, seconds); });
    };
    RecOptions options;
    options.format = RecFormat::mp4;
    options.fps = 30;
    options.microphone = false;
    service.startRecording(recordedRect, screen, options);
    poll(startPolls, seconds);
}

}  // namespace

Duration parseDuration(const QByteArray& value)
{
    Duration duration;
    if (value.isEmpty() || std::isspace((unsigned char)value.front())) return duration;
    // The C library's number syntax whatever the user's locale.
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    const char* begin = value.constData();
    char* stop = nullptr;
    const double seconds = strtod_l(begin, &stop, cLocale);
    if (stop == begin || stop != begin + value.size()) return duration;
    duration.seconds = seconds;
    // The wait is counted in whole nanoseconds, which must fit 64 bits.
    const double nanoseconds = std::trunc(seconds * 1e9);
    const bool waitable = std::isfinite(nanoseconds) && nanoseconds > -1 && nanoseconds < 18446744073709551616.0;
    duration.kind = waitable ? Duration::Kind::accepted : Duration::Kind::refused;
    if (waitable) duration.seconds = std::max(0.0, nanoseconds / 1e9);
    return duration;
}

int parseScreenIndex(const QByteArray& value)
{
    const int digitsFrom = !value.isEmpty() && (value.front() == '+' || value.front() == '-') ? 1 : 0;
    if (value.size() <= digitsFrom) return 0;
    for (int i = digitsFrom; i < value.size(); ++i)
        if (value.at(i) < '0' || value.at(i) > '9') return 0;
    bool ok = false;
    const int index = value.toInt(&ok, 10);
    return ok ? index : 0;
}

QString resultLine(const QString& path, const platform::media::MediaInfo& info, QSize expected,
                   double requestedSeconds, bool* pass)
{
    const bool hasVideo = info.opened && info.width > 0;
    const QString size = hasVideo ? QStringLiteral("%1x%2").arg(info.width).arg(info.height) : QStringLiteral("none");
    const QString fps = hasVideo ? QString::asprintf("%.1f", info.frameRate) : QStringLiteral("-");
    const double duration = info.opened ? info.durationSeconds : -1;
    const bool playable = info.playable();
    const bool ok = playable && hasVideo && QSize(info.width, info.height) == expected &&
                    duration >= requestedSeconds - durationTolerance;
    if (pass) *pass = ok;
    return (ok ? QStringLiteral("REC_SELFTEST_OK") : QStringLiteral("REC_SELFTEST_FAIL bad-recording")) +
           QStringLiteral(" path=") + path + QStringLiteral(" duration=") + QString::asprintf("%.2f", duration) +
           QStringLiteral(" size=") + size +
           QStringLiteral(" expected=%1x%2").arg(expected.width()).arg(expected.height()) +
           QStringLiteral(" fps=") + fps + QStringLiteral(" playable=") +
           (playable ? QStringLiteral("true") : QStringLiteral("false"));
}

void useCaptureFolder(const QString& folder)
{
    platform::SettingsStore::shared().setProcessOverride(QStringLiteral("plainCaptureDirectory"), folder);
}

void runIfNeeded()
{
    const QByteArray raw = qgetenv("KLIPO_REC_SELFTEST");
    const Duration duration = parseDuration(raw);
    if (duration.kind == Duration::Kind::off) return;
    if (duration.kind == Duration::Kind::refused) {
        // A number the run cannot wait for: refused before anything starts.
        QTimer::singleShot(0, qApp, [raw] {
            end(1, QStringLiteral("REC_SELFTEST_FAIL bad-duration value=") + QString::fromUtf8(raw));
        });
        return;
    }
    const QString folder = qEnvironmentVariable("KLIPO_REC_SELFTEST_DIR");
    if (!folder.isEmpty()) useCaptureFolder(folder);
    const int index = parseScreenIndex(qgetenv("KLIPO_REC_SELFTEST_SCREEN"));
    const double seconds = duration.seconds;
    QTimer::singleShot(firstWaitMs, qApp, [index, seconds] { run(index, seconds); });
}

}  // namespace klipo::RecSelfTest
