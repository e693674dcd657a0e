// What translation in place and text selection cost where users feel them:
// from pressing "翻译" over an 800 x 400 region of English text to the
// translated picture shown (recognition, planning, translation into Spanish
// and drawing, with the real engines), and one pointer move over a text
// layer of 500 lines (hovering, and dragging a selection across it).
// Runs on Qt's offscreen screen; needs apertium-eng-spa:
//   QT_QPA_PLATFORM=offscreen build/bench/overlay/inline_bench
#include "overlay/SelInlineTranslation.h"
#include "overlay/SelOverlayController.h"
#include "overlay/SelOverlayView.h"
#include "overlay/SelOverlayWindow.h"
#include "overlay/SelTextSelecting.h"
#include "platform/CapturePermission.h"
#include "platform/PlatformServices.h"
#include "platform/SettingsStore.h"
#include "platform/overlay/OverlayDesktop.h"
#include "platform/text/TextRecognizer.h"
#include "platform/text/TextServices.h"
#include "recognition/OCRService.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

const char* const kEnglish[] = {
    "The cat sleeps on the sofa while it rains in the city.",
    "Tomorrow afternoon we are going to visit my grandparents.",
    "The meeting starts at ten and ends before lunch.",
    "This program translates the text on the screen offline.",
    "The children play in the park after school every day.",
    "I need to buy bread, milk and fruit at the market.",
};

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

double median(const std::vector<double>& v) { return percentile(v, 0.5); }

// A desktop of one screen whose still is the given picture.
class StillDesktop : public platform::OverlayDesktop {
public:
    explicit StillDesktop(QImage still) : m_still(std::move(still)) {}
    void freezeScreens(bool, std::function<void(platform::FreezeOutcome)> done) override
    {
        platform::FreezeOutcome outcome;
        outcome.screens.append({QGuiApplication::primaryScreen(), 1, m_still});
        done(outcome);
    }
    QList<platform::DesktopWindow> windowsFrontToBack() override { return {}; }
    std::optional<platform::NativeWindowId> activeWindow() override { return std::nullopt; }
    bool isOwnWindow(platform::NativeWindowId) override { return false; }
    void activateWindow(platform::NativeWindowId) override {}
    platform::InputGrabOutcome grabInput(QWindow*) override { return {true, {}}; }
    void releaseInput() override {}
    qint64 ownProcessId() const override { return 0; }

private:
    QImage m_still;
};

class Granted : public platform::CapturePermission {
public:
    bool canCapture() const override { return true; }
    bool request() override { return true; }
    QString reason() const override { return {}; }
};

// 500 recognised lines in five columns of a hundred, each character boxed.
class DenseRecognizer : public platform::TextRecognizer {
public:
    void recognize(const QImage&, const platform::RecognitionOptions&, const Report& report) override
    {
        platform::RecognitionOutcome outcome;
        for (int i = 0; i < 500; ++i) {
            const QString text = QString::fromLatin1(kEnglish[i % 6]).left(40);
            const QRect box(20 + (i / 100) * 380, 30 + (i % 100) * 10, 360, 9);
            platform::RecognizedLine line{text, box, 90, {}};
            for (int c = 0; c < int(text.size()); ++c)
                if (!text.at(c).isSpace()) line.symbols.push_back({c, c + 1, QRect(box.x() + c * 9, box.y(), 9, 9)});
            outcome.lines.push_back(line);
        }
        report(outcome);
    }
};

QImage screenWithText(const QSize& size, const QRect& region)
{
    QImage screen(size, QImage::Format_RGB32);
    screen.fill(QColor(40, 44, 52));
    QPainter painter(&screen);
    painter.fillRect(region, Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < 6; ++i) painter.drawText(region.topLeft() + QPoint(30, 50 + i * 60), QString::fromLatin1(kEnglish[i]));
    return screen;
}

// The offscreen screen cannot raise windows, and says so at every session.
QtMessageHandler standardHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("does not support raise"))) return;
    if (standardHandler) standardHandler(type, context, message);
}

void mouse(QWidget* view, QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    standardHandler = qInstallMessageHandler(quietHandler);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    platform::SettingsStore::shared().setValue(QStringLiteral("targetLanguage"), QStringLiteral("es"));
    platform::SettingsStore::shared().setValue(QStringLiteral("saveHistory"), false);
    Granted permission;
    platform::ScopedServices services{platform::PlatformServices{.permission = &permission}};

    const QSize screenSize = QGuiApplication::primaryScreen()->geometry().size();
    const QRect region(200, 150, 800, 400);
    StillDesktop desktop(screenWithText(screenSize, region));
    SelOverlayController overlay(desktop);
    auto open = [&](const QRect& selection) -> SelOverlayView* {
        SelRequest request;
        request.primaryAction = SelAction::translate;
        overlay.begin(std::move(request));
        if (overlay.windows().isEmpty()) return nullptr;
        SelOverlayView* view = overlay.windows().first()->overlayView();
        overlay.commitSelection(selection, view);
        QCoreApplication::processEvents();
        return view;
    };

    // Translate pressed to the translated picture painted over the selection:
    // the first time with the engines still to be loaded, then as the program
    // runs (it loads the recogniser in the background at start).
    std::vector<double> translate;
    for (int run = 0; run < 12; ++run) {
        SelOverlayView* view = open(region);
        if (!view) return 1;
        QElapsedTimer timer;
        timer.start();
        view->startInlineTranslation();
        if (!QTest::qWaitFor([&] { return view->translation().state() != SelInlineTranslation::State::running; },
                             60000) ||
            view->translation().state() != SelInlineTranslation::State::done) {
            std::fprintf(stderr, "the translation did not show (is apertium-eng-spa installed?)\n");
            return 1;
        }
        view->translation().imageView()->repaint();
        translate.push_back(timer.nsecsElapsed() / 1e6);
        if (run == 0)
            std::printf("translated text: %s\n", qPrintable(view->translation().translatedText().left(120)));
        overlay.cancel();
        QTest::qWait(50);
    }
    const double first = translate.front();
    translate.erase(translate.begin());
    std::vector<double> ocr;
    const QImage crop = screenWithText(screenSize, region).copy(region);
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        OCRService::recognizeBlocks(crop, false).waitForFinished();
        ocr.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("translate pressed to translated picture shown (800 x 400, English to Spanish): median %.0f ms, "
                "p90 %.0f ms (%zu runs), first with cold engines %.0f ms; recognition alone: median %.0f ms\n",
                median(translate), percentile(translate, 0.9), translate.size(), first, median(ocr));

    // One pointer move over a layer of 500 lines.
    DenseRecognizer dense;
    platform::ScopedTextServices engines{{&dense, nullptr, nullptr}};
    SelOverlayView* view = open(QRect(QPoint(0, 0), screenSize));
    if (!view) return 1;
    QElapsedTimer building;
    building.start();
    view->toggleTextSelecting();
    if (!QTest::qWaitFor([&] { return view->textSelecting().layer() != nullptr; }, 10000)) return 1;
    std::printf("layer of %zu lines ready %.0f ms after text selecting was switched on\n",
                view->textSelecting().layer()->items().size(), building.nsecsElapsed() / 1e6);
    std::vector<double> hover, dragging, painted;
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer timer;
        timer.start();
        mouse(view, QEvent::MouseMove, QPointF(30 + (i * 37) % 1800, 40 + (i * 13) % 1000), Qt::NoButton);
        hover.push_back(timer.nsecsElapsed() / 1e6);
    }
    mouse(view, QEvent::MouseButtonPress, QPointF(25, 35), Qt::LeftButton);
    for (int i = 0; i < 400; ++i) {
        QElapsedTimer timer;
        timer.start();
        mouse(view, QEvent::MouseMove, QPointF(30 + (i * 4.5), 40 + (i * 2.5)), Qt::LeftButton);
        dragging.push_back(timer.nsecsElapsed() / 1e6);
        // ... and with the highlight painted.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        painted.push_back(timer.nsecsElapsed() / 1e6);
    }
    mouse(view, QEvent::MouseButtonRelease, QPointF(1830, 1040), Qt::NoButton);
    std::printf("one pointer move over 500 lines: hovering median %.3f ms (p95 %.3f), dragging a selection "
                "median %.3f ms (p95 %.3f), with the highlight painted median %.2f ms (p95 %.2f); %lld characters "
                "selected at the end\n",
                median(hover), percentile(hover, 0.95), median(dragging), percentile(dragging, 0.95), median(painted),
                percentile(painted, 0.95), qlonglong(view->textSelecting().layer()->selectedText().size()));
    overlay.cancel();
    return 0;
}
