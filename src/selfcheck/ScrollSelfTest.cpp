#include "selfcheck/ScrollSelfTest.h"

#include "app/Settings.h"
#include "platform/CapturePermission.h"
#include "platform/Clipboard.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "scroll/ScrollCaptureService.h"
#include "scroll/ScrollSelfTestReport.h"
#include "scroll/ScrollStitchWorker.h"
#include "scroll/SyntheticScrollPage.h"
#include "selfcheck/SelfChecks.h"
#include "tools/QuickCaptureOutput.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QTimer>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <memory>

namespace klipo {

namespace {

using ScrollSelfTestReport::report;

// The check ends the process itself, without the quit order: nothing of the
// user's is at stake, and the status must be the check's.
[[noreturn]] void endWith(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

void after(int ms, std::function<void()> step) { QTimer::singleShot(ms, qApp, std::move(step)); }

QString stateName(ScrollCaptureService::ScrollState state)
{
    switch (state) {
    case ScrollCaptureService::ScrollState::idle:
        return QStringLiteral("idle");
    case ScrollCaptureService::ScrollState::picking:
        return QStringLiteral("picking");
    case ScrollCaptureService::ScrollState::capturing:
        return QStringLiteral("capturing");
    case ScrollCaptureService::ScrollState::stitching:
        break;
    }
    return QStringLiteral("stitching");
}

// The shortest decimal that reads back as the same number, with a digit
// after the point: 2.0, 1.5.
QString scaleText(double scale)
{
    QString text = QString::number(scale, 'g', QLocale::FloatingPointShortest);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) text += QStringLiteral(".0");
    return text;
}

QSet<QString> imageFiles(const QString& folder)
{
    QSet<QString> names;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (name.endsWith(QLatin1String(".png")) || name.endsWith(QLatin1String(".jpg"))) names.insert(name);
    return names;
}

// --- The synthetic run -------------------------------------------------------

struct SyntheticRun {
    std::vector<QImage> frames;
    std::size_t next = 0;
    int kept = 0;
    int dupSkipped = 0;
    std::unique_ptr<ScrollStitchWorker> worker;
};

void finishSynthetic(const std::shared_ptr<SyntheticRun>& run, ScrollStitchResult result)
{
    if (const auto* error = std::get_if<ScrollStitchError>(&result)) {
        report(QStringLiteral("SCROLL_SELFTEST_FAIL synth-stitch err=") + error->errorDescription());
        endWith(1);
    }
    const ScrollStitchOutput output = std::get<ScrollStitchOutput>(std::move(result));
    constexpr int expectedW = 800;
    constexpr int expectedH = 2400 + 600;
    const bool sizeOK = output.image.width() == expectedW && output.image.height() == expectedH;
    QuickCaptureOutput::deliver(output.image, false, 1024, QStringLiteral("合成帧自测"));
    after(3000, [run, output, sizeOK] {
        const QString folder = Settings::plainCaptureDirectory();
        const int saved = int(imageFiles(folder).size());
        platform::Clipboard* clipboard = platform::services().clipboard;
        const bool clipboardHasImage = clipboard && !clipboard->image().isNull();
        report(QStringLiteral("SCROLL_SELFTEST_SYNTH_OK size=%1x%2 expected=%3x%4 sizeOK=%5 kept=%6 dupSkipped=%7 "
                              "exactSeams=%8/%9 lowConf=%10 savedFiles=%11 clipboardHasImage=%12"
                              "(应为false:超1KB上限不进剪贴板) dir=%13")
                   .arg(output.image.width())
                   .arg(output.image.height())
                   .arg(expectedW)
                   .arg(expectedH)
                   .arg(sizeOK ? QStringLiteral("true") : QStringLiteral("false"))
                   .arg(run->kept)
                   .arg(run->dupSkipped)
                   .arg(output.exactSeamCount())
                   .arg(output.placements.size())
                   .arg(output.lowConfidenceSeams.size())
                   .arg(saved)
                   .arg(clipboardHasImage ? QStringLiteral("true") : QStringLiteral("false"))
                   .arg(folder));
        endWith(sizeOK && saved > 0 ? 0 : 1);
    });
}

// One frame with the worker at a time: the next goes from the completion.
void feedNext(const std::shared_ptr<SyntheticRun>& run)
{
    if (run->next >= run->frames.size()) {
        run->worker->finish([run](ScrollStitchResult result) { finishSynthetic(run, std::move(result)); });
        return;
    }
    const QImage frame = run->frames[run->next++];
    run->worker->process(frame, std::nullopt, [run](const ScrollFrameResult& result) {
        switch (result.kind) {
        case ScrollFrameResult::Kind::appended:
            run->kept = result.kept;
            break;
        case ScrollFrameResult::Kind::duplicate:
            ++run->dupSkipped;
            break;
        case ScrollFrameResult::Kind::failed:
            report(QStringLiteral("SCROLL_SELFTEST_FAIL synth-frame err=") +
                   result.error.value_or(ScrollStitchError::frameProcessFailed(0)).errorDescription());
            endWith(1);
        }
        feedNext(run);
    });
}

void runSyntheticPipelineTest()
{
    const QImage page = syntheticScrollPage();
    if (page.isNull()) {
        report(QStringLiteral("SCROLL_SELFTEST_FAIL synth-page"));
        endWith(1);
    }
    auto run = std::make_shared<SyntheticRun>();
    run->frames = syntheticScrollFrames(page);
    for (const QImage& frame : run->frames) {
        if (!frame.isNull()) continue;
        report(QStringLiteral("SCROLL_SELFTEST_FAIL synth-crop"));
        endWith(1);
    }
    run->worker = std::make_unique<ScrollStitchWorker>(standardStitchConfig(0));
    QGuiApplication::clipboard()->clear();
    feedNext(run);
}

// --- The on-screen run -------------------------------------------------------

void runOnScreen(int screenIndex, int waitMs)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screenIndex < 0 || screenIndex >= screens.size()) {
        report(QStringLiteral("SCROLL_SELFTEST_FAIL no-screen index=%1 count=%2").arg(screenIndex).arg(screens.size()));
        endWith(2);
    }
    QScreen* screen = screens[screenIndex];
    const double scale = screen->devicePixelRatio();
    platform::CapturePermission* permission = platform::services().permission;
    report(QStringLiteral("SCROLL_SELFTEST_DIAG preflight=%1 screens=%2 scale=%3")
               .arg(permission && permission->canCapture() ? QStringLiteral("true") : QStringLiteral("false"))
               .arg(screens.size())
               .arg(scaleText(scale)));

    const QRectF rect(120, 120, 360, 280);
    // Only image files that this run added count.
    const QSet<QString> before = imageFiles(Settings::plainCaptureDirectory());
    ScrollCaptureService& service = ScrollCaptureService::shared();
    service.onStitchedForTest = [rect, scale, before](const ScrollStitchOutput* output) {
        if (!output) {
            report(QStringLiteral("SCROLL_SELFTEST_FAIL no-output"));
            endWith(1);
        }
        const int expectedW = int(std::lround(rect.width() * scale));
        const QSize size = output->image.size();
        const auto frames = output->placements.size();
        const auto lowConf = output->lowConfidenceSeams.size();
        after(3000, [=] {
            const QString folder = Settings::plainCaptureDirectory();
            const int added = int((imageFiles(folder) - before).size());
            report(QStringLiteral("SCROLL_SELFTEST_OK size=%1x%2 expectedW=%3 frames=%4 lowConf=%5 files=%6 dir=%7")
                       .arg(size.width())
                       .arg(size.height())
                       .arg(expectedW)
                       .arg(frames)
                       .arg(lowConf)
                       .arg(added)
                       .arg(folder));
            endWith(size.width() == expectedW && added > 0 ? 0 : 1);
        });
    };
    service.startCapture(ScrollTarget{screen->geometry(), scale, rect});
    after(waitMs, [] {
        ScrollCaptureService& service = ScrollCaptureService::shared();
        if (service.state != ScrollCaptureService::ScrollState::capturing) {
            report(QStringLiteral("SCROLL_SELFTEST_FAIL not-capturing state=") + stateName(service.state));
            endWith(1);
        }
        service.finishCapture();
        after(30000, [] {
            report(QStringLiteral("SCROLL_SELFTEST_FAIL timeout"));
            endWith(1);
        });
    });
}

}  // namespace

std::optional<double> ScrollSelfTest::parseSeconds(const QByteArray& value)
{
    if (value.isEmpty() || std::isspace(uchar(value.front())) || std::isspace(uchar(value.back()))) return std::nullopt;
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (!c) return std::nullopt;
    char* end = nullptr;
    const double seconds = strtod_l(value.constData(), &end, c);
    freelocale(c);
    if (end == value.constData() || end != value.constData() + value.size()) return std::nullopt;
    return seconds;
}

int ScrollSelfTest::parseScreenIndex(const QByteArray& value)
{
    QByteArray digits = value;
    if (digits.startsWith('+') || digits.startsWith('-')) digits.remove(0, 1);
    if (digits.isEmpty()) return 0;
    for (char ch : digits)
        if (ch < '0' || ch > '9') return 0;
    bool ok = false;
    const int index = value.toInt(&ok);
    return ok ? index : 0;
}

std::optional<int> ScrollSelfTest::waitMilliseconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0 || seconds * 1000.0 > double(INT_MAX)) return std::nullopt;
    return int(seconds * 1000.0);
}

void ScrollSelfTest::runIfNeeded()
{
    const std::optional<double> seconds = parseSeconds(qgetenv("KLIPO_SCROLL_SELFTEST"));
    if (!seconds) return;
    const QString folder = qEnvironmentVariable("KLIPO_SCROLL_SELFTEST_DIR");
    // For this process only: the user's own capture folder stays stored.
    if (!folder.isEmpty())
        platform::SettingsStore::shared().setProcessOverride(QStringLiteral("plainCaptureDirectory"), folder);
    if (qgetenv("KLIPO_SCROLL_SELFTEST_SYNTH") == "1") {
        after(1000, [] { runSyntheticPipelineTest(); });
        return;
    }
    const std::optional<int> waitMs = waitMilliseconds(*seconds);
    if (!waitMs) {
        after(0, [raw = qgetenv("KLIPO_SCROLL_SELFTEST")] {
            report(QStringLiteral("SCROLL_SELFTEST_FAIL bad-duration value=") + QString::fromUtf8(raw));
            endWith(1);
        });
        return;
    }
    const int screenIndex = parseScreenIndex(qgetenv("KLIPO_SCROLL_SELFTEST_SCREEN"));
    after(1000, [screenIndex, waitMs] { runOnScreen(screenIndex, *waitMs); });
}

}  // namespace klipo
