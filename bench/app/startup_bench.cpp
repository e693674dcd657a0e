// Start-up figures: time from process start to the tray icon shown (median of
// several runs) and resident memory once idle, and with --minute also a
// minute later, once the recognition engine warmed at launch has been let go.
// Run inside a desktop with a tray host, for example:
//   scripts/headless-desktop.sh build/bench/app/bench_startup [RUNS] [--minute]
#include "support/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = argc > 1 && args[1] != QLatin1String("--minute") ? std::max(1, atoi(argv[1])) : 7;
    const bool minute = args.contains(QStringLiteral("--minute"));
    std::vector<double> startMs;
    long idleKiB = -1;
    long minuteKiB = -1;

    for (int i = 0; i < runs; ++i) {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("KLIPO_STARTUP_TRACE"), QStringLiteral("1"));
        env.insert(QStringLiteral("KLIPO_INSTANCE_NAME"), QStringLiteral("bench-%1").arg(i));
        // No library window: measure the tray alone.
        QFile defaults(home.path() + QStringLiteral("/config/KlipoVersa/defaults.json"));
        QDir().mkpath(home.path() + QStringLiteral("/config/KlipoVersa"));
        if (defaults.open(QIODevice::WriteOnly)) defaults.write("{\"menuBarOnly\": true}");
        defaults.close();

        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral(KLIPO_BINARY), {});
        if (!process.waitForStarted(5000)) {
            std::fprintf(stderr, "could not start %s\n", KLIPO_BINARY);
            return 1;
        }
        double shownAt = -1;
        QByteArray out;
        while (timer.elapsed() < 10000 && shownAt < 0) {
            process.waitForReadyRead(50);
            out += process.readAllStandardOutput();
            if (out.contains("tray-shown")) shownAt = timer.nsecsElapsed() / 1e6;
        }
        if (shownAt < 0) {
            std::fprintf(stderr, "run %d: the tray icon was not shown (no tray host?)\n%s\n", i,
                         process.readAllStandardError().constData());
            process.kill();
            process.waitForFinished();
            return 1;
        }
        startMs.push_back(shownAt);
        if (i == runs - 1) {
            QThread::msleep(2000);
            idleKiB = klipo::bench::residentKiB(QString::number(process.processId()));
            if (minute) {
                QThread::sleep(63);
                minuteKiB = klipo::bench::residentKiB(QString::number(process.processId()));
            }
        }
        process.terminate();
        if (!process.waitForFinished(5000)) process.kill();
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("start to tray icon shown: median %.1f ms (min %.1f, max %.1f, %d runs)\n", startMs[startMs.size() / 2],
                startMs.front(), startMs.back(), runs);
    std::printf("resident memory when idle: %.1f MB\n", idleKiB / 1024.0);
    if (minute) std::printf("resident memory a minute after launch: %.1f MB\n", minuteKiB / 1024.0);
    return 0;
}
