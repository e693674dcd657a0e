#include "platform/DesktopFileViewer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace klipo::platform {

namespace {

// xdg-open waits for the viewer when it runs one itself; an ending after this
// long means the viewer was open and has been closed, whatever its exit code.
constexpr qint64 kLaunchWindowMs = 10000;

QString noViewerText() { return QStringLiteral("没有找到可以打开这种图片的程序"); }

void openFolderOf(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

}  // namespace

void DesktopFileViewer::reveal(const QString& path)
{
    if (path.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [path](QDBusPendingCallWatcher* w) {
        // No file manager on the bus: at least open the folder that holds the file.
        if (w->isError()) openFolderOf(path);
        w->deleteLater();
    });
}

void DesktopFileViewer::open(const QString& path)
{
    if (path.isEmpty()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void DesktopFileViewer::openOrExplain(const QString& path, std::function<void(const QString& reason)> failed)
{
    if (path.isEmpty()) return;
    auto report = [failed](const QString& reason) {
        if (failed) QTimer::singleShot(0, QCoreApplication::instance(), [failed, reason] { failed(reason); });
    };
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (launcher.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()))) report(noViewerText());
        return;
    }
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(launcher);
    process->setArguments({QFileInfo(path).absoluteFilePath()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        report(noViewerText());
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, report, started](int exitCode, QProcess::ExitStatus status) {
                         // xdg-open: 3 = no program for the type, 4 = the program failed.
                         if (status == QProcess::NormalExit && exitCode != 0 && started->elapsed() < kLaunchWindowMs)
                             report(exitCode == 3 ? noViewerText()
                                                  : QStringLiteral("打开图片的程序出错（代码 %1）").arg(exitCode));
                         process->deleteLater();
                     });
    process->start();
}

}  // namespace klipo::platform
