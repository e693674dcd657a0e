#include "app/shell/AppMain.h"

#include "app/shell/AppDelegate.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/KeyNames.h"
#include "app/shell/QtTranslations.h"
#include "app/SettingsKeys.h"
#include "app/UnreadableSettings.h"
#include "platform/SettingsStore.h"
#include "app/shell/OverlayWiring.h"
#include "app/shell/RealShellServices.h"
#include "GlobalShortcuts/MenuBinding.h"
#include "platform/MemoryPolicy.h"
#include "platform/ProgramIcon.h"
#include "platform/QuitSignals.h"
#include "platform/Session.h"
#include "platform/SingleInstance.h"
#include "platform/SystemTrayIcon.h"
#include "platform/WindowRoles.h"
#include "platform/text/TextServices.h"
#include "selfcheck/UISnapshotSelfTest.h"
#include "stores/HistoryLimit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>

#include <cstdio>

#ifndef KLIPO_VERSION
#define KLIPO_VERSION "0.0.0"
#endif

namespace klipo::AppMain {

namespace {

QString instanceName()
{
    // Benchmarks and tests run several instances side by side.
    const QString custom = qEnvironmentVariable("KLIPO_INSTANCE_NAME");
    const QString name = platform::SingleInstance::defaultServerName();
    return custom.isEmpty() || name.isEmpty() ? name : name + QLatin1Char('-') + custom;
}

}  // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    platform::applyMemoryPolicy();

    // The interface snapshots are drawn off the screen: that run needs no
    // display and does not hand over to a running copy.
    const bool snapshotRun = UISnapshotSelfTest::isRequested();
    if (snapshotRun) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        // Capture, hot keys and the tray need X11: under XWayland prefer its
        // X11 side so they work there too.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "xcb");
        if (!platform::checkDisplayOrExplain()) return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KlipoVersa"));
    QApplication::setApplicationVersion(QStringLiteral(KLIPO_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    // Every window's title bar and task-bar button shows it.
    QApplication::setWindowIcon(platform::ProgramIcon::icon());
    // Qt's own dialogs and buttons in the interface language the user chose,
    // else the system's.
    QtTranslations::install(
        platform::SettingsStore::shared().value(QString(SettingsKey::interfaceLanguage)).toString());
    GlobalShortcuts::installKeyNames();
    GlobalShortcuts::followOtherCopies();
    // SIGTERM, SIGINT and SIGHUP end the program the way "退出" does.
    platform::QuitSignals& quitSignals = platform::QuitSignals::install();
    // A window manager that refused one of our windows the focus marks it as
    // demanding attention: nothing of ours blinks in the task bar for that.
    platform::keepOwnWindowsFromDemandingAttention();

    const QString name = instanceName();
    platform::SingleInstance instance(name);
    if (!snapshotRun && !instance.start()) {
        platform::SingleInstance::notifyRunningInstance(name);
        return 0;
    }

    // A limit that took the place of a damaged settings file trims nothing
    // until the user confirms it.
    historylimit::noteSettingsRecovery(platform::SettingsStore::shared());
    // Settings whose stored value cannot be read: told now and whenever one turns up.
    UnreadableSettings unreadableSettings(platform::SettingsStore::shared());

    RealShellServices services;
    platform::SystemTrayIcon tray;
    AppDelegate delegate(services, &tray);
    wireOverlay(delegate, services);
    const bool trace = qEnvironmentVariableIsSet("KLIPO_STARTUP_TRACE");

    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(&quitSignals, &platform::QuitSignals::quitRequested, &delegate,
                     [&delegate] { Q_EMIT delegate.quitRequested(); });
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&instance, &platform::SingleInstance::activationRequested, &delegate,
                     [&delegate] { delegate.handleReopen(); });
    QObject::connect(&tray, &platform::TrayIcon::activated, &delegate, [&delegate] {
        if (QMenu* menu = delegate.menu()) menu->popup(QCursor::pos());
    });

    QTimer::singleShot(0, &delegate, [&] {
        delegate.applicationDidFinishLaunching();
        GlobalShortcuts::setApplicationMenu(delegate.menu());
        if (!tray.isAvailable()) {
            std::fprintf(stderr, "%s\n",
                         qPrintable(QStringLiteral("KlipoVersa：没有找到系统托盘，已改为显示资料库窗口；"
                                                   "托盘出现后图标会自动加入。（No system tray found; showing the "
                                                   "library window. The icon joins a tray that starts later.）")));
        }
        // A recognition engine loads on a worker thread now, so that the first
        // translation after launch does not wait for it; unused, it is freed
        // after its idle minute like any other.
        platform::warmUpTextServices();
        if (trace) {
            // The icon counts as shown once the tray host has embedded it.
            auto* poll = new QTimer(&delegate);
            QObject::connect(poll, &QTimer::timeout, poll, [poll, &tray, &sinceStart] {
                if (tray.geometry().isEmpty() && sinceStart.elapsed() < 10000) return;
                std::printf("tray-shown %.1f ms\n", sinceStart.nsecsElapsed() / 1e6);
                std::fflush(stdout);
                poll->deleteLater();
            });
            poll->start(2);
        }
    });
    const int code = app.exec();
    // Recognition engines go before the program's statics (Tesseract's among them).
    platform::shutDownTextServices();
    return code;
}

}  // namespace klipo::AppMain
