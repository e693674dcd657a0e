#pragma once

// Driving the headless desktop as the user, and reading it as another
// program would (xdotool, xclip, xprop).
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace klipo::test {

inline bool xdotool(const QStringList& arguments) { return QProcess::execute("xdotool", arguments) == 0; }

// Key names separated by spaces, pressed one after the other.
inline bool pressKeys(const QString& keys) { return xdotool(QStringList{"key"} + keys.split(' ')); }

// Runs a program without blocking our event loop: we may be the clipboard
// owner it asks.
inline QByteArray programOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000)) return {};
    return process.readAllStandardOutput();
}

// What xdotool prints (window ids, geometry), trimmed.
inline QString xdotoolOutput(const QStringList& arguments)
{
    return QString::fromUtf8(programOutput("xdotool", arguments)).trimmed();
}

}  // namespace klipo::test
