// Full-screen translation on this machine: a 1920x1080 screen full of Spanish
// text, translated into English. First each stage on its own (capture,
// recognition, planning, translation, rendering), then the whole road from
// the command to the panel showing the translated picture, through the same
// entry the tray menu uses; then the program itself, from Control-Shift-F to
// the history record: the first after launch, right after another, and after
// a minute idle, with its resident memory. With --memory, resident memory over
// 200 translations instead. Run inside the headless desktop (with its tray):
//   scripts/headless-desktop.sh build/bench/recognition/bench_fullscreen_translation [options] [runs]
// Options: --memory; --stages (only the stages in this process); --key (only
// the program from the key press); --no-idle (leave out the minute idle).
#include "app/CaptureService.h"
#include "app/StabilityCaptureService.h"
#include "platform/MemoryPolicy.h"
#include "platform/SettingsStore.h"
#include "platform/text/TesseractRecognizer.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"
#include "recognition/ImageRenderer.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "recognition/TranslationPlanner.h"

#include "KeyPressRoad.h"
#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

#include <malloc.h>

using namespace klipo;

namespace {

const char* const kSpanish[] = {
    "El gato duerme en el sofa mientras llueve en la ciudad.",
    "Manana por la tarde vamos a visitar a mis abuelos en el pueblo.",
    "La reunion empieza a las diez y termina antes del almuerzo.",
    "Este programa traduce el texto de la pantalla sin conexion a internet.",
    "Los ninos juegan en el parque despues de la escuela.",
    "Necesito comprar pan, leche y fruta en el mercado.",
    "El tren llega a la estacion con veinte minutos de retraso.",
    "Mi hermano trabaja en una oficina cerca del puerto.",
};

// A page of Spanish paragraphs of three lines each, as a text window shows them.
// No two lines are alike: a page of real text does not repeat itself, and lines
// alike in every pixel are read only once.
QImage screenOfText()
{
    QImage page(1920, 1080, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = 50;
    for (int n = 0; y < 1050; ++n) {
        const QString line =
            QString::fromUtf8(kSpanish[n % 8]) + QLatin1Char(' ') + QString::fromUtf8(kSpanish[(n + 1 + n / 8) % 8]);
        painter.drawText(QPoint(60, y), line);
        y += n % 3 == 2 ? 56 : 30;
    }
    return page;
}

platform::CaptureOutcome captureFullScreen()
{
    std::optional<platform::CaptureOutcome> outcome;
    StabilityCaptureService::capture(CaptureService::Mode::fullScreen,
                                     [&](platform::CaptureOutcome o) { outcome = std::move(o); });
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 20000))
        return platform::CaptureOutcome::failed(QStringLiteral("no answer from the capture"));
    return outcome.value_or(platform::CaptureOutcome::failed(QStringLiteral("timed out")));
}

// Resident memory over many full-screen translations through the panel's
// entry: at rest, after the first, after all of them, and a minute after the
// last once the panel is closed (the engines' idle time).
int memoryRoad(int runs)
{
    ResultPanelController& panel = ResultPanelController::shared();
    int saves = 0;
    QObject::connect(&panel, &ResultPanelController::historySaveFinished, [&] { ++saves; });
    const long atRest = bench::residentKiB() / 1024;
    long afterFirst = 0;
    for (int i = 0; i < runs; ++i) {
        panel.hideForCapture();
        const platform::CaptureOutcome shot = captureFullScreen();
        if (!shot.ok()) {
            std::fprintf(stderr, "capture failed: %s\n", qPrintable(shot.error));
            return 1;
        }
        panel.showCapture(shot.image, shot.scale);
        if (!QTest::qWaitFor([&] { return saves == i + 1; }, 60000)) {
            std::fprintf(stderr, "run %d did not reach the history (%s)\n", i, qPrintable(panel.model().status()));
            return 1;
        }
        if (i == 0) afterFirst = bench::residentKiB() / 1024;
    }
    const long afterAll = bench::residentKiB() / 1024;
    if (panel.panel()) panel.panel()->close();
    QTest::qWait(65000);
    std::printf("resident memory over full-screen translations of a 1920x1080 screen of Spanish text\n");
    std::printf("  at rest                                %5ld MB\n", atRest);
    std::printf("  after the first translation            %5ld MB\n", afterFirst);
    std::printf("  after %3d translations                 %5ld MB\n", runs, afterAll);
    std::printf("  a minute after the last (panel closed) %5ld MB\n", bench::residentKiB() / 1024);
    const struct mallinfo2 heap = mallinfo2();
    auto* tesseract = dynamic_cast<platform::TesseractRecognizer*>(platform::textServices().recognizer);
    std::printf("  (engines still loaded: %d; heap in use %zu MB, free but kept %zu MB, mapped %zu MB)\n",
                tesseract ? tesseract->loadedEngines() : -1, heap.uordblks >> 20, heap.fordblks >> 20,
                heap.hblkhd >> 20);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    platform::applyMemoryPolicy();
    // Never touch the real history: private home and XDG folders.
    QTemporaryDir home;
    bench::usePrivateHome(home);
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "needs an X11 display (run it inside scripts/headless-desktop.sh)\n");
        return 1;
    }
    platform::SettingsStore::shared().setValue(QStringLiteral("targetLanguage"), QStringLiteral("en"));
    const QStringList arguments = app.arguments();
    const bool memory = arguments.contains(QStringLiteral("--memory"));
    const bool keyOnly = arguments.contains(QStringLiteral("--key"));
    const bool stagesOnly = arguments.contains(QStringLiteral("--stages"));
    const int given = argc > 1 ? std::atoi(argv[argc - 1]) : 0;
    const int runs = given > 0 ? given : memory ? 200 : 7;

    QLabel window(nullptr, Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    window.setPixmap(QPixmap::fromImage(screenOfText()));
    window.setGeometry(0, 0, 1920, 1080);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the text window did not appear\n");
        return 1;
    }
    QTest::qWait(300);
    QCursor::setPos(1800, 1000);
    if (memory) return memoryRoad(runs);
    bench::KeyPressRoadOptions keyPress;
    if (given > 0) keyPress.launches = keyPress.warmRuns = given;
    if (arguments.contains(QStringLiteral("--no-idle"))) keyPress.idleRuns = 0;
    if (keyOnly) return bench::runKeyPressRoad(keyPress);

    platform::warmUpTextServices();
    std::vector<double> capture, recognition, planning, translation, rendering, sum;
    size_t blockCount = 0;
    size_t characters = 0;
    for (int i = 0; i <= runs; ++i) {  // run 0 warms the engines and the pipeline up
        QElapsedTimer clock;
        clock.start();
        const platform::CaptureOutcome shot = captureFullScreen();
        const double tCapture = clock.nsecsElapsed() / 1e6;
        if (!shot.ok()) {
            std::fprintf(stderr, "capture failed: %s\n", qPrintable(shot.error));
            return 1;
        }

        clock.restart();
        QFuture<OcrOutcome> recognized = OCRService::recognizeBlocks(shot.image, false);
        recognized.waitForFinished();
        const double tRecognition = clock.nsecsElapsed() / 1e6;
        const OcrOutcome ocr = recognized.result();

        clock.restart();
        ResultModel model;
        const std::optional<TranslationJob> job =
            model.start(shot.image, ocr.blocks, shot.scale, QStringLiteral("en"), std::nullopt);
        const double tPlanning = clock.nsecsElapsed() / 1e6;
        if (!job) {
            std::fprintf(stderr, "nothing to translate: %s\n", qPrintable(model.status()));
            return 1;
        }

        clock.restart();
        platform::Translator& translator = *platform::textServices().translator;
        const auto source = TranslationPlanner::resolveAvailable(job->plannedSource, job->target, job->isLatinScript);
        std::vector<platform::TranslationRequest> requests;
        for (size_t b = 0; b < job->blocks.size(); ++b) requests.push_back({job->blocks[b].text, QString::number(b)});
        const platform::TranslationOutcome prepared = translator.prepare(source, job->target);
        const platform::TranslationOutcome translated = translator.translate(requests, source, job->target);
        const double tTranslation = clock.nsecsElapsed() / 1e6;
        if (!prepared.ok() || !translated.ok()) {
            std::fprintf(stderr, "translation failed: %s%s\n", qPrintable(prepared.message),
                         qPrintable(translated.message));
            return 1;
        }

        clock.restart();
        std::vector<ImageRenderer::RenderBlock> drawn;
        for (size_t b = 0; b < job->blocks.size(); ++b)
            drawn.push_back({job->blocks[b].lines, translated.responses[b].targetText});
        const QImage picture = ImageRenderer::render(job->baseImage, drawn, job->displayScale);
        const double tRendering = clock.nsecsElapsed() / 1e6;

        if (i == 0) {
            std::printf("first run (engines and pipeline starting): capture %.0f, recognition %.0f, planning %.0f, "
                        "translation %.0f, rendering %.0f ms\n",
                        tCapture, tRecognition, tPlanning, tTranslation, tRendering);
            continue;
        }
        capture.push_back(tCapture);
        recognition.push_back(tRecognition);
        planning.push_back(tPlanning);
        translation.push_back(tTranslation);
        rendering.push_back(tRendering);
        sum.push_back(tCapture + tRecognition + tPlanning + tTranslation + tRendering);
        blockCount = job->blocks.size();
        characters = 0;
        for (const TextBlock& block : job->blocks) characters += size_t(block.text.size());
    }

    // The whole road through the panel's entry, as the tray menu runs it.
    ResultPanelController& panel = ResultPanelController::shared();
    std::vector<double> toPanel, toTranslated;
    int historySaves = 0;
    QObject::connect(&panel, &ResultPanelController::historySaveFinished, [&] { ++historySaves; });
    for (int i = 0; i < runs; ++i) {
        panel.hideForCapture();
        QTest::qWait(100);
        QElapsedTimer clock;
        clock.start();
        double shownAt = -1;
        // Queued: runs once the change that came with showing the panel is done.
        QObject context;
        QObject::connect(
            &panel.model(), &ResultModel::changed, &context,
            [&] {
                if (shownAt < 0 && panel.panel() && panel.panel()->isVisible()) shownAt = clock.nsecsElapsed() / 1e6;
            },
            Qt::QueuedConnection);
        const platform::CaptureOutcome shot = captureFullScreen();
        panel.showCapture(shot.image, shot.scale);
        if (!QTest::qWaitFor([&] { return shownAt >= 0 && !panel.model().isTranslating(); }, 30000)) {
            std::fprintf(stderr, "the panel did not show a result\n");
            return 1;
        }
        toTranslated.push_back(clock.nsecsElapsed() / 1e6);
        toPanel.push_back(shownAt);
        if (!panel.model().status().isEmpty()) std::fprintf(stderr, "status: %s\n", qPrintable(panel.model().status()));
    }

    if (!QTest::qWaitFor([&] { return historySaves == runs; }, 30000))
        std::fprintf(stderr, "only %d of %d results reached the history\n", historySaves, runs);

    std::printf("\nfull-screen translation of a 1920x1080 screen of Spanish text into English\n");
    std::printf("(%zu paragraphs, %zu characters to translate; medians of %d warm runs, %d cores)\n", blockCount,
                characters, runs, QThread::idealThreadCount());
    bench::printTimes("capture", capture, 38);
    bench::printTimes("recognition (and grouping)", recognition, 38);
    bench::printTimes("planning", planning, 38);
    bench::printTimes("translation", translation, 38);
    bench::printTimes("rendering", rendering, 38);
    bench::printTimes("sum of the stages", sum, 38);
    if (auto* tesseract = dynamic_cast<platform::TesseractRecognizer*>(platform::textServices().recognizer)) {
        const platform::TesseractRecognizer::Readings r = tesseract->lastReadings();
        std::printf(
            "  lines read by the engine per page: %d first, %d at other sizes, %d second opinions, %d other "
            "CJK models; %d lines alike not read again; %d pieces of long lines; %d long lines and pieces read by "
            "the page language's model\n",
            r.first, r.resized, r.second, r.otherCjk, r.twins, r.pieces, r.inPageLanguage);
    }
    bench::printTimes("command -> panel shown (translating)", toPanel, 38);
    bench::printTimes("command -> translated picture shown", toTranslated, 38);
    std::fflush(stdout);
    if (stagesOnly) return 0;
    // The panel of this process leaves the screen to the program's.
    if (panel.panel()) panel.panel()->close();
    return bench::runKeyPressRoad(keyPress);
}
