// The annotate command on this machine with the overlay off: a 1920x1080
// capture of Spanish text comes back from the pick and opens in the annotation
// window; 50 marks are drawn with the mouse; Ctrl+Return hands the composed
// picture to recognition and translation into English. Prints the time from
// the pick's answer to the painted window, each stage after Ctrl+Return on
// its own (compose, recognition, translation, rendering), and the whole road
// from Ctrl+Return to the translated picture in the result panel. Run inside
// the headless desktop:
//   scripts/headless-desktop.sh build/bench/annotation/annotate_command_bench [runs]
#include "annotation/canvas/AnnoCanvasView.h"
#include "annotation/command/AnnoMenuProvider.h"
#include "annotation/window/AnnoToolBar.h"
#include "annotation/window/AnnoWindow.h"
#include "annotation/window/AnnotationWindowController.h"
#include "platform/PlatformServices.h"
#include "platform/ScreenshotTool.h"
#include "platform/SettingsStore.h"
#include "platform/text/TextServices.h"
#include "platform/text/Translator.h"
#include "recognition/ImageRenderer.h"
#include "recognition/OCRService.h"
#include "recognition/ResultModel.h"
#include "recognition/ResultPanelController.h"
#include "recognition/TranslationPlanner.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

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

// The baselines of the text lines: paragraphs of three lines.
std::vector<int> baselines()
{
    std::vector<int> ys;
    for (int n = 0, y = 50; y < 1050; ++n) {
        ys.push_back(y);
        y += n % 3 == 2 ? 56 : 30;
    }
    return ys;
}

// A screen of Spanish paragraphs on the left, a photo on the right.
QImage screenOfText()
{
    QImage page(1920, 1080, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QLinearGradient photo(1400, 100, 1850, 500);
    photo.setColorAt(0, QColor(40, 120, 200));
    photo.setColorAt(1, QColor(240, 180, 60));
    painter.fillRect(QRect(1400, 100, 450, 400), photo);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const std::vector<int> ys = baselines();
    for (size_t n = 0; n < ys.size(); ++n) painter.drawText(QPoint(60, ys[n]), QString::fromUtf8(kSpanish[n % 8]));
    return page;
}

// Answers every pick with the capture after a short drag's time, and notes
// when it did.
class InstantPick : public platform::ScreenshotTool {
public:
    QImage image;
    QElapsedTimer clock;
    qint64 answeredNs = 0;
    void capture(const platform::CaptureOptions&, std::function<void(platform::CaptureOutcome)> done) override
    {
        QTimer::singleShot(400, [this, done = std::move(done)] {
            answeredNs = clock.nsecsElapsed();
            done(platform::CaptureOutcome::success(image, 1.0));
        });
    }
};

// Notes the moment the canvas has been painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

void mouse(AnnoCanvasView& canvas, QEvent::Type type, QPointF imagePx)
{
    const QPointF v = canvas.viewPoint(imagePx);
    QMouseEvent event(type, v, canvas.mapToGlobal(v), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &event);
}

void drag(AnnoCanvasView& canvas, QPointF from, QPointF to, int steps = 4)
{
    mouse(canvas, QEvent::MouseButtonPress, from);
    for (int i = 1; i <= steps; ++i) mouse(canvas, QEvent::MouseMove, from + (to - from) * (double(i) / steps));
    mouse(canvas, QEvent::MouseButtonRelease, to);
}

// 50 marks as a reviewer makes them: boxes round paragraphs, arrows from the
// margin, underlined lines, highlighted words, ellipses and pen strokes in the margin, mosaic
// over the photo, numbered badges.
void drawMarks(AnnotationWindowController& window)
{
    AnnoCanvasView& canvas = *window.canvas();
    const auto use = [&](AnnoTool tool) { window.toolBar()->toolButton(tool)->click(); };
    const std::vector<int> ys = baselines();
    use(AnnoTool::rectangle);
    for (size_t p = 0; p + 2 < ys.size() && p < 36; p += 3) drag(canvas, {44, ys[p] - 26.0}, {900, ys[p + 2] + 12.0});
    use(AnnoTool::arrow);
    for (size_t p = 0; p + 2 < ys.size() && p < 36; p += 3) drag(canvas, {1250, ys[p] + 10.0}, {930, ys[p + 1] - 5.0});
    use(AnnoTool::line);
    for (size_t p = 1; p < ys.size() && p < 31; p += 3) drag(canvas, {60, ys[p] + 7.0}, {520, ys[p] + 7.0});
    use(AnnoTool::highlight);
    for (size_t p = 2; p < ys.size() && p < 27; p += 6) drag(canvas, {60, ys[p] - 20.0}, {260, ys[p] + 6.0});
    use(AnnoTool::ellipse);
    for (int i = 0; i < 3; ++i) drag(canvas, {1420.0 + i * 150, 560}, {1540.0 + i * 150, 640});
    use(AnnoTool::pen);
    for (int i = 0; i < 8; ++i) drag(canvas, {1400, 680.0 + i * 45}, {1850, 700.0 + i * 45}, 60);
    use(AnnoTool::mosaic);
    for (int i = 0; i < 4; ++i) drag(canvas, {1410.0 + i * 110, 120}, {1500.0 + i * 110, 480});
    use(AnnoTool::number);
    for (int i = 0; i < 3; ++i) {
        mouse(canvas, QEvent::MouseButtonPress, {22, 60.0 + i * 290});
        mouse(canvas, QEvent::MouseButtonRelease, {22, 60.0 + i * 290});
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    bench::usePrivateHome(home);
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "needs an X11 display (run it inside scripts/headless-desktop.sh)\n");
        return 1;
    }
    platform::SettingsStore& settings = platform::SettingsStore::shared();
    settings.setValue(QStringLiteral("targetLanguage"), QStringLiteral("en"));
    settings.setValue(QStringLiteral("selCaptureOverlayEnabled"), false);
    settings.setValue(QStringLiteral("saveHistory"), false);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    InstantPick pick;
    pick.image = screenOfText();
    pick.clock.start();
    platform::ScopedServices services({nullptr, &pick, nullptr, nullptr, nullptr, nullptr, nullptr});
    platform::warmUpTextServices();
    AnnotationWindowController& window = AnnotationWindowController::shared();
    ResultPanelController& panel = ResultPanelController::shared();
    PaintWatch watch;

    std::vector<double> shown, compose, unmarked, recognition, translation, rendering, sum, road;
    double firstShown = 0;
    size_t blocks = 0;
    size_t characters = 0;
    for (int i = 0; i <= runs; ++i) {  // run 0 builds the window and warms the engines up
        watch.painted = false;
        if (window.canvas()) window.canvas()->installEventFilter(&watch);
        AnnoMenuProvider::startCaptureAndAnnotate();
        if (!QTest::qWaitFor([&] { return window.isSessionOpen(); }, 10000)) {
            std::fprintf(stderr, "the annotation window did not open\n");
            return 1;
        }
        window.canvas()->installEventFilter(&watch);
        while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double tShown = (pick.clock.nsecsElapsed() - pick.answeredNs) / 1e6;
        drawMarks(window);
        AnnoCanvasView& canvas = *window.canvas();
        if (canvas.items().size() != 50) std::fprintf(stderr, "%d marks drawn\n", int(canvas.items().size()));

        // Each stage on its own, on what Ctrl+Return will hand on.
        QElapsedTimer clock;
        clock.start();
        const QImage composed = canvas.renderer()->compose(canvas.items(), canvas.cropRect());
        const double tCompose = clock.nsecsElapsed() / 1e6;

        clock.restart();
        QFuture<OcrOutcome> plain = OCRService::recognizeBlocks(pick.image, false);
        plain.waitForFinished();
        const double tPlain = clock.nsecsElapsed() / 1e6;

        clock.restart();
        QFuture<OcrOutcome> recognized = OCRService::recognizeBlocks(composed, false);
        recognized.waitForFinished();
        const double tRecognition = clock.nsecsElapsed() / 1e6;

        clock.restart();
        ResultModel model;
        const std::optional<TranslationJob> job =
            model.start(composed, recognized.result().blocks, 1.0, QStringLiteral("en"), std::nullopt);
        if (!job) {
            std::fprintf(stderr, "nothing to translate: %s\n", qPrintable(model.status()));
            return 1;
        }
        platform::Translator& translator = *platform::textServices().translator;
        const auto source = TranslationPlanner::resolveAvailable(job->plannedSource, job->target, job->isLatinScript);
        std::vector<platform::TranslationRequest> requests;
        for (size_t b = 0; b < job->blocks.size(); ++b) requests.push_back({job->blocks[b].text, QString::number(b)});
        translator.prepare(source, job->target);
        const platform::TranslationOutcome translated = translator.translate(requests, source, job->target);
        const double tTranslation = clock.nsecsElapsed() / 1e6;
        if (!translated.ok()) {
            std::fprintf(stderr, "translation failed: %s\n", qPrintable(translated.message));
            return 1;
        }

        clock.restart();
        std::vector<ImageRenderer::RenderBlock> drawn;
        for (size_t b = 0; b < job->blocks.size(); ++b)
            drawn.push_back({job->blocks[b].lines, translated.responses[b].targetText});
        const QImage picture = ImageRenderer::render(job->baseImage, drawn, job->displayScale);
        const double tRendering = clock.nsecsElapsed() / 1e6;
        characters = 0;
        for (const TextBlock& block : job->blocks) characters += size_t(block.text.size());
        blocks = job->blocks.size();

        // The whole road: Ctrl+Return to the translated picture in the panel.
        clock.restart();
        QTest::keyClick(&canvas, Qt::Key_Return, Qt::ControlModifier);
        if (!QTest::qWaitFor([&] { return panel.panel() && panel.panel()->isVisible() && !panel.model().isTranslating() &&
                                          !panel.model().translatedJoined().isEmpty(); },
                             30000)) {
            std::fprintf(stderr, "the panel did not show a translation: %s\n", qPrintable(panel.model().status()));
            return 1;
        }
        const double tRoad = clock.nsecsElapsed() / 1e6;
        panel.hideForCapture();

        if (i == 0) {
            firstShown = tShown;
            std::printf("first run (window built during the pick, engines starting): shown %.0f, compose %.0f, recognition %.0f, "
                        "translation %.0f, rendering %.0f, Ctrl+Return to translated panel %.0f ms\n",
                        tShown, tCompose, tRecognition, tTranslation, tRendering, tRoad);
            continue;
        }
        shown.push_back(tShown);
        compose.push_back(tCompose);
        unmarked.push_back(tPlain);
        recognition.push_back(tRecognition);
        translation.push_back(tTranslation);
        rendering.push_back(tRendering);
        sum.push_back(tCompose + tRecognition + tTranslation + tRendering);
        road.push_back(tRoad);
    }

    std::printf("\nannotate command, overlay off: a 1920x1080 capture of Spanish text, 50 marks, into English\n");
    std::printf("(%zu paragraphs, %zu characters to translate; medians of %d warm runs, %d cores; the first run: "
                "%.1f ms)\n",
                blocks, characters, runs, QThread::idealThreadCount(), firstShown);
    bench::printTimes("pick answered -> window painted", shown, 44);
    bench::printTimes("compose (50 marks)", compose, 44);
    bench::printTimes("recognition (and grouping)", recognition, 44);
    bench::printTimes("  (the same capture without marks)", unmarked, 44);
    bench::printTimes("planning and translation", translation, 44);
    bench::printTimes("rendering the translated picture", rendering, 44);
    bench::printTimes("sum of the stages", sum, 44);
    bench::printTimes("Ctrl+Return -> translated picture in the panel", road, 44);
    return 0;
}
