#include "platform/LinkOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

#include <memory>
#include <utility>

namespace klipo::platform {

void openLink(const QUrl& url, std::function<void(bool)> done)
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    QStringList arguments{url.toString(QUrl::FullyEncoded)};
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(QStringLiteral("gio"));
        arguments.prepend(QStringLiteral("open"));
    }
    if (program.isEmpty()) {
        // Qt looks for a browser of its own; it knows only whether one started.
        done(QDesktopServices::openUrl(url));
        return;
    }
    auto* process = new QProcess;
    auto answer = std::make_shared<std::function<void(bool)>>(std::move(done));
    auto finish = [process, answer](bool opened) {
        if (*answer) std::exchange(*answer, nullptr)(opened);
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && code == 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish(false);
    });
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
}

}  // namespace klipo::platform
