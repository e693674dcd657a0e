// Prints what the stitcher costs and how well it stitches: per-frame worker
// time by stage for several frame sizes, seam quality per page kind, and
// composition time with peak memory for long captures. Frames come from the
// synthetic pages the tests use. Usage: scroll_bench [frames|quality|compose]...
#include "TestPages.h"
#include "scroll/StitchSession.h"
#include "scroll/SyntheticScrollPage.h"

#include "support/BenchSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using namespace klipo;
using namespace klipo::test;

namespace {

struct Percentiles {
    double p50 = 0, p95 = 0, max = 0;
};

Percentiles percentiles(std::vector<double> v)
{
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[std::min(v.size() - 1, std::size_t(q * double(v.size() - 1) + 0.5))]; };
    return {at(0.5), at(0.95), v.back()};
}

long peakRssKiB() { return bench::statusKiB("VmHWM"); }

qint64 folderBytes(const QString& path)
{
    qint64 total = 0;
    for (const QFileInfo& f : QDir(path).entryInfoList(QDir::Files)) total += f.size();
    return total;
}

// --- per-frame worker time ---------------------------------------------------

void benchFrames(int width, int height, int frames)
{
    const PageSpec page{PageKind::text, width, uint32_t(width * 31 + height)};
    const auto tops = randomTops(1 << 30, height, height / 4, height * 3 / 4, uint32_t(width));
    StitchSession session(standardStitchConfig(0));
    std::vector<double> total, precheck, prepare, duplicate, curve, backtrack, decide, spool;
    int candidates = 0, decisions = 0, fullSearches = 0, exact = 0;
    qint64 spoolBytes = 0;
    for (int i = 0; i < frames; ++i) {
        const QImage frame = pageFrame(page, tops[std::size_t(i)], height);
        QElapsedTimer timer;
        timer.start();
        const auto result = session.process(frame, std::nullopt);
        total.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (result.kind == ScrollFrameResult::Kind::failed) {
            std::printf("  frame %d failed: %s\n", i, qPrintable(result.error->errorDescription()));
            continue;
        }
        const auto& t = session.stitcher().lastTimes();
        precheck.push_back(session.lastPrecheckMs());
        prepare.push_back(t.prepare);
        spool.push_back(t.spool);
        if (i == 0) continue;
        duplicate.push_back(t.duplicate);
        curve.push_back(t.curve);
        backtrack.push_back(t.backtrack);
        decide.push_back(t.decide);
        candidates += t.decision.candidates;
        fullSearches += t.decision.fullSearch ? 1 : 0;
        ++decisions;
    }
    for (const auto& p : session.stitcher().placements()) exact += p.confidence == ScrollSeamConfidence::exact;
    spoolBytes = folderBytes(session.stitcher().spoolFolder());
    const int kept = session.stitcher().placementCount();
    const bool heightOk = session.stitcher().lastY() == tops[std::size_t(frames - 1)];

    std::printf("%dx%d  (%d frames, ds %d, kept %d, exact %d, height %s)\n", width, height, frames,
                session.stitcher().dsFactor(), kept, exact, heightOk ? "exact" : "WRONG");
    auto row = [](const char* name, const std::vector<double>& v) {
        const Percentiles p = percentiles(v);
        std::printf("  %-10s p50 %7.2f  p95 %7.2f  max %7.2f ms\n", name, p.p50, p.p95, p.max);
    };
    row("total", total);
    row("pre-check", precheck);
    row("prepare", prepare);
    row("unchanged", duplicate);
    row("curve", curve);
    row("backtrack", backtrack);
    row("decide", decide);
    row("spool", spool);
    std::printf("  candidates/frame %.1f, full searches %d of %d, spool %.0f KiB/frame (raw %.0f KiB)\n",
                decisions ? double(candidates) / decisions : 0.0, fullSearches, decisions,
                kept ? double(spoolBytes) / kept / 1024 : 0.0, double(width) * height * 3 / 1024);
    session.cancel();
}

// --- seam quality per page kind ------------------------------------------------

void benchQuality(const char* name, const PageSpec& page, int noise, bool hints)
{
    const int height = 600;
    int placements = 0, exact = 0, runs = 0;
    std::vector<int> errors;
    for (uint32_t seed = 1; seed <= 5; ++seed) {
        const auto tops = randomTops(6000, height, 40, height - 60, seed * 7 + uint32_t(page.kind));
        StitchSession session(standardStitchConfig(0));
        for (std::size_t i = 0; i < tops.size(); ++i) {
            QImage frame = pageFrame(page, tops[i], height);
            if (noise) frame = withNoise(frame, noise, seed * 1000 + uint32_t(i));
            const std::optional<int> hint =
                hints && i > 0 ? std::optional<int>(tops[i] - tops[i - 1]) : std::nullopt;
            session.process(frame, hint);
        }
        const auto result = session.finish();
        ++runs;
        if (const auto* out = std::get_if<ScrollStitchOutput>(&result)) {
            placements += int(out->placements.size());
            exact += out->exactSeamCount();
            errors.push_back(out->image.height() - (tops.back() + height));
        }
    }
    int worst = 0;
    for (int e : errors) worst = std::abs(e) > std::abs(worst) ? e : worst;
    std::printf("  %-22s exact seams %4d/%-4d (%5.1f %%)  height error: worst %+d rows, exact in %zu of %d runs\n",
                name, exact, placements, placements ? 100.0 * exact / placements : 0.0, worst,
                size_t(std::count(errors.begin(), errors.end(), 0)), runs);
}

void benchSynthetic()
{
    StitchSession session(standardStitchConfig(0));
    ScrollStitchTally tally;
    for (const QImage& f : syntheticScrollFrames(syntheticScrollPage())) tally.count(session.process(f, {}));
    const auto result = session.finish();
    const auto& out = std::get<ScrollStitchOutput>(result);
    std::printf("  %-22s size %dx%d kept %d dupSkipped %d exactSeams %d/%zu lowConf %zu\n", "self-check page",
                out.image.width(), out.image.height(), tally.kept, tally.dupSkipped, out.exactSeamCount(),
                out.placements.size(), out.lowConfidenceSeams.size());
}

// --- composition ----------------------------------------------------------------

// Runs in a process of its own (see benchCompose) so that its peak memory is its own.
void composeOne(int frames, int width, int height)
{
    const long baseline = peakRssKiB();
    const PageSpec page{PageKind::text, width, 77};
    StitchSession session(standardStitchConfig(0));
    int top = 0;
    long peakAt10 = 0;
    for (int i = 0; i < frames; ++i) {
        session.process(pageFrame(page, top, height), std::nullopt);
        top += 350 + (i * 37) % 100;
        if (i == 9) peakAt10 = peakRssKiB();
    }
    const long appendPeak = peakRssKiB();
    const qint64 spoolBytes = folderBytes(session.stitcher().spoolFolder());
    QElapsedTimer timer;
    timer.start();
    const auto result = session.finish();
    const double composeMs = double(timer.nsecsElapsed()) / 1e6;
    const long composePeak = peakRssKiB();
    if (const auto* out = std::get_if<ScrollStitchOutput>(&result))
        std::printf("  %3d frames: %dx%-6d compose %6.0f ms  peak RSS: start %ld MiB, appending %ld MiB "
                    "(after 10 frames %ld), composing %ld MiB; spool %.0f KiB/frame\n",
                    frames, out->image.width(), out->image.height(), composeMs, baseline / 1024, appendPeak / 1024,
                    peakAt10 / 1024, composePeak / 1024, double(spoolBytes) / frames / 1024);
    else
        std::printf("  %3d frames: %s\n", frames, qPrintable(std::get<ScrollStitchError>(result).errorDescription()));
}

void benchCompose(const char* self, int frames)
{
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string count = std::to_string(frames);
        ::execl(self, self, "compose-one", count.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::waitpid(pid, nullptr, 0);
}

bool wanted(int argc, char** argv, const char* section)
{
    if (argc < 2) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], section) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "compose-one") == 0) {
        composeOne(std::atoi(argv[2]), 1920, 1080);
        return 0;
    }
    if (wanted(argc, argv, "frames")) {
        std::printf("Per-frame worker time (text pages, steps of 1/4 to 3/4 of the frame, spool included)\n");
        for (auto [w, h] : {std::pair{1920, 1080}, {2880, 1800}, {300, 1800}, {800, 600}, {3840, 2160}, {640, 2000}})
            benchFrames(w, h, 40);
    }
    if (wanted(argc, argv, "quality")) {
        std::printf("\nSeam quality, 800x600 frames, random steps 40..540, 5 pages each\n");
        for (int noise : {0, 2}) {
            const std::string suffix = noise ? " +-2 noise" : "";
            benchQuality(("text" + suffix).c_str(), {PageKind::text, 800, 3}, noise, false);
            benchQuality(("table" + suffix).c_str(), {PageKind::table, 800, 3}, noise, false);
            benchQuality(("gradient" + suffix).c_str(), {PageKind::gradient, 800, 3}, noise, false);
            benchQuality(("blank gap" + suffix).c_str(), {PageKind::blankGap, 800, 3, 2000, 3500}, noise, false);
            benchQuality(("blank gap, hints" + suffix).c_str(), {PageKind::blankGap, 800, 3, 2000, 3500}, noise,
                         true);
        }
        benchSynthetic();
    }
    if (wanted(argc, argv, "compose")) {
        std::printf("\nComposition, 1920x1080 text frames, steps 350..449 rows\n");
        for (int frames : {10, 50, 100, 280}) benchCompose("/proc/self/exe", frames);
    }
    return 0;
}
