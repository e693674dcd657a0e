#include "KeyPressRoad.h"

#include "support/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/stat.h>
#include <unistd.h>

namespace klipo::bench {

namespace {

constexpr int kRecordTimeoutMs = 30000;
constexpr int kSettleMs = 2000;   // after launch: the start-up work is done
constexpr int kBetweenMs = 1000;  // between presses: the desktop has repainted
constexpr int kIdleMs = 65000;    // the engines' idle time is a minute

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

// Processor time a process has used so far (all its threads, and its
// children it has waited for), in milliseconds; 0 when unreadable. Unlike the
// time to the record, it hardly depends on what else runs on the machine.
double processorMs(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray stat = file.readAll();
    // The fields after the command's name, which may hold spaces: utime, stime,
    // cutime and cstime are the 14th to 17th of the line.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 15) return 0;
    double ticks = 0;
    for (int i = 11; i <= 14; ++i) ticks += fields[i].toDouble();
    return ticks * 1000.0 / double(::sysconf(_SC_CLK_TCK));
}

// Cold and after-idle presses against warm ones, by their medians.
void printRatios(const std::vector<double>& cold, const std::vector<double>& warm, const std::vector<double>& idle)
{
    if (warm.empty() || median(warm) <= 0) return;
    std::printf("  cold / warm %.2f", median(cold) / median(warm));
    if (!idle.empty()) std::printf(", after idle / warm %.2f", median(idle) / median(warm));
    std::printf("\n");
}

class XServer {
public:
    XServer() : m_display(XOpenDisplay(nullptr)) {}
    ~XServer()
    {
        if (m_display) XCloseDisplay(m_display);
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool isOpen() const { return m_display != nullptr; }

    void pressControlShiftF()
    {
        const KeyCode control = XKeysymToKeycode(m_display, XK_Control_L);
        const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
        const KeyCode f = XKeysymToKeycode(m_display, XK_f);
        for (KeyCode key : {control, shift, f}) XTestFakeKeyEvent(m_display, key, True, CurrentTime);
        for (KeyCode key : {f, shift, control}) XTestFakeKeyEvent(m_display, key, False, CurrentTime);
        XFlush(m_display);
    }

    // Closes the shown windows of a process as the window manager's close
    // button does (the result panel releases its pictures then).
    void closeWindowsOf(qint64 pid)
    {
        const Window root = DefaultRootWindow(m_display);
        const Atom deleteWindow = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
        for (Window window : cardinals(root, "_NET_CLIENT_LIST", XA_WINDOW)) {
            const std::vector<unsigned long> owner = cardinals(window, "_NET_WM_PID", XA_CARDINAL);
            XWindowAttributes attributes;
            if (owner.empty() || qint64(owner.front()) != pid) continue;
            if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable) continue;
            XEvent event = {};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = long(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(m_display, window, False, NoEventMask, &event);
        }
        XFlush(m_display);
    }

private:
    std::vector<unsigned long> cardinals(Window window, const char* property, Atom type)
    {
        Atom actualType = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        std::vector<unsigned long> values;
        if (XGetWindowProperty(m_display, window, XInternAtom(m_display, property, False), 0, 4096, False, type,
                               &actualType, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            values.assign(items, items + count);
        }
        if (data) XFree(data);
        return values;
    }

    Display* m_display;
};

// One launch of the program in a private home, translating into English.
class Program {
public:
    bool start(int number)
    {
        if (!m_home.isValid()) return false;
        QProcessEnvironment env = privateHomeEnvironment(m_home);
        env.insert(QStringLiteral("KLIPO_STARTUP_TRACE"), QStringLiteral("1"));  // says when the tray icon shows
        env.insert(QStringLiteral("KLIPO_INSTANCE_NAME"), QStringLiteral("keypress-%1").arg(number));
        const QString config = env.value(QStringLiteral("XDG_CONFIG_HOME")) + QStringLiteral("/KlipoVersa");
        QDir().mkpath(config);
        QFile defaults(config + QStringLiteral("/defaults.json"));
        if (!defaults.open(QIODevice::WriteOnly)) return false;
        defaults.write(R"({"menuBarOnly": true, "targetLanguage": "en"})");
        defaults.close();
        m_index = env.value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/KlipoVersa/History/index.json");

        m_process.setProcessEnvironment(env);
        // Another build of the program may be measured the same way.
        const QString binary = qEnvironmentVariable("KLIPO_BENCH_PROGRAM", QStringLiteral(KLIPO_BINARY));
        m_process.start(binary, {});
        QByteArray out;
        const bool shown = QTest::qWaitFor(
            [&] {
                out += m_process.readAllStandardOutput();
                return out.contains("tray-shown") || m_process.state() == QProcess::NotRunning;
            },
            30000);
        if (!shown || !out.contains("tray-shown")) {
            std::fprintf(stderr, "the program did not show its tray icon (no tray host?)%s\n%s\n",
                         m_process.state() == QProcess::NotRunning ? " and ended" : "",
                         m_process.readAllStandardError().constData());
            return false;
        }
        QTest::qWait(kSettleMs);
        return true;
    }

    ~Program()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) m_process.kill();
        m_process.waitForFinished(2000);
    }

    qint64 pid() const { return m_process.processId(); }
    long residentMb() const { return residentKiB(QString::number(pid())) / 1024; }

    // Presses the key and waits for the history to hold one more record;
    // the time in milliseconds, or a negative number when it never came.
    // The processor time it took is left in processorMsUsed.
    double translate(XServer& x)
    {
        const int before = records();
        const double processorBefore = processorMs(pid());
        QElapsedTimer clock;
        clock.start();
        x.pressControlShiftF();
        struct stat last = {};
        while (clock.elapsed() < kRecordTimeoutMs) {
            QCoreApplication::processEvents();
            struct stat now = {};
            if (::stat(qPrintable(m_index), &now) == 0 &&
                (now.st_mtim.tv_nsec != last.st_mtim.tv_nsec || now.st_mtim.tv_sec != last.st_mtim.tv_sec ||
                 now.st_size != last.st_size)) {
                last = now;
                if (records() > before) {
                    processorMsUsed = processorMs(pid()) - processorBefore;
                    return clock.nsecsElapsed() / 1e6;
                }
            }
            ::usleep(500);
        }
        std::fprintf(stderr, "no history record %d s after the key press\n%s\n", kRecordTimeoutMs / 1000,
                     m_process.readAllStandardError().constData());
        return -1;
    }

    double processorMsUsed = 0;

private:
    int records() const
    {
        QFile file(m_index);
        if (!file.open(QIODevice::ReadOnly)) return 0;
        return int(file.readAll().count("\"imageName\""));
    }

    QTemporaryDir m_home;
    QProcess m_process;
    QString m_index;
};

}  // namespace

int runKeyPressRoad(const KeyPressRoadOptions& options)
{
    XServer x;
    if (!x.isOpen()) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    std::printf("\nControl-Shift-F to the history record, through the program (load average %s)\n",
                qPrintable(loadAverage()));
    std::vector<double> cold, warm, idle;
    std::vector<double> coldCpu, warmCpu, idleCpu;
    long atRest = 0;
    long rightAfter = 0;
    long minuteAfter = 0;
    for (int launch = 0; launch < std::max(1, options.launches); ++launch) {
        Program program;
        if (!program.start(launch)) return 1;
        if (launch == 0) atRest = program.residentMb();
        const double first = program.translate(x);
        if (first < 0) return 1;
        cold.push_back(first);
        coldCpu.push_back(program.processorMsUsed);
        if (launch > 0) continue;

        for (int run = 0; run < options.warmRuns; ++run) {
            x.closeWindowsOf(program.pid());
            QTest::qWait(kBetweenMs);
            const double ms = program.translate(x);
            if (ms < 0) return 1;
            warm.push_back(ms);
            warmCpu.push_back(program.processorMsUsed);
        }
        rightAfter = program.residentMb();
        for (int run = 0; run < options.idleRuns; ++run) {
            x.closeWindowsOf(program.pid());
            QTest::qWait(kIdleMs);
            if (run == 0) minuteAfter = program.residentMb();
            const double ms = program.translate(x);
            if (ms < 0) return 1;
            idle.push_back(ms);
            idleCpu.push_back(program.processorMsUsed);
        }
    }
    printTimes("cold: the first after launch", cold, 40);
    printTimes("warm: right after another", warm, 40);
    printTimes("after a minute idle (engines given back)", idle, 40);
    printRatios(cold, warm, idle);
    std::printf("processor time of the program per key press (all its threads)\n");
    printTimes("cold", coldCpu, 40);
    printTimes("warm", warmCpu, 40);
    printTimes("after a minute idle", idleCpu, 40);
    printRatios(coldCpu, warmCpu, idleCpu);
    std::printf("resident memory of the program\n");
    std::printf("  at rest (launched, nothing translated)   %5ld MB\n", atRest);
    if (rightAfter > 0) std::printf("  right after the last translation         %5ld MB\n", rightAfter);
    if (minuteAfter > 0) std::printf("  a minute after the last translation      %5ld MB\n", minuteAfter);
    std::printf("(load average at the end %s)\n", qPrintable(loadAverage()));
    return 0;
}

}  // namespace klipo::bench
