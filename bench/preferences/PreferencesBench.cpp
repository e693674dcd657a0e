// Prints how long the preferences window takes where users wait for it: from
// show() to the window painted, each section shown in turn (switched to and
// painted), and a second show() of the window already made. Run it on a real
// display (the headless desktop): `preferences_bench [runs]`.
#include "preferences/SettingsView.h"
#include "preferences/SettingsWindow.h"

#include "support/BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace klipo;

namespace {

// Waits until `widget` has been painted once after now.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted = true;
        return false;
    }
};

double untilPainted(const std::function<void()>& action, const std::function<QWidget*()>& target)
{
    QElapsedTimer timer;
    timer.start();
    action();
    PaintWatch watch(target());
    while (!watch.painted && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    // A private settings and data folder, so the bench never touches the user's.
    QTemporaryDir home;
    bench::usePrivateHome(home);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

    SettingsWindowController& controller = SettingsWindowController::shared();
    auto content = [&] { return controller.view()->content(); };
    std::vector<double> firstShows, secondShows;
    std::vector<std::vector<double>> sections(allCases<PrefsSection>().size());
    for (int run = 0; run < runs; ++run) {
        firstShows.push_back(untilPainted([&] { controller.show(); }, content));
        (void)QTest::qWaitForWindowExposed(controller.window());
        QList<PrefsSection> order = allCases<PrefsSection>();
        order.removeFirst();
        order.append(PrefsSection::general);
        for (PrefsSection section : order) {
            sections[size_t(allCases<PrefsSection>().indexOf(section))].push_back(
                untilPainted([&] { controller.view()->setSection(section); }, content));
        }
        controller.window()->hide();
        QTest::qWait(50);
        secondShows.push_back(untilPainted([&] { controller.show(); }, content));
        QTest::qWait(50);
        // The next run makes the window afresh.
        delete controller.window();
        QTest::qWait(50);
    }

    std::printf("preferences: %d runs on %s (median, first run in brackets)\n", runs,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  show() to painted          %7.1f ms  [%.1f]\n", bench::median(firstShows), firstShows.front());
    for (PrefsSection section : allCases<PrefsSection>()) {
        const auto& times = sections[size_t(allCases<PrefsSection>().indexOf(section))];
        std::printf("  section %-18s %7.1f ms  [%.1f]\n", qPrintable(rawValue(section)), bench::median(times),
                    times.front());
    }
    std::printf("  second show()              %7.1f ms  [%.1f]\n", bench::median(secondShows), secondShows.front());
    return 0;
}
