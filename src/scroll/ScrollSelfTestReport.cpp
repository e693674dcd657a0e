#include "scroll/ScrollSelfTestReport.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace klipo::ScrollSelfTestReport {

bool isRunning() { return qEnvironmentVariableIsSet("KLIPO_SCROLL_SELFTEST"); }

void report(const QString& line)
{
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, std::size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);

    const QString folder = qEnvironmentVariable("KLIPO_SCROLL_SELFTEST_DIR");
    if (folder.isEmpty()) return;
    const QString path = QDir(folder).filePath(QStringLiteral("selftest_result.txt"));
    QByteArray text;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly)) text = existing.readAll();
    text += utf8 + '\n';
    // A failed write is ignored: the line is on standard output anyway.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size()) file.commit();
}

}  // namespace klipo::ScrollSelfTestReport
