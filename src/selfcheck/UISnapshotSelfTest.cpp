#include "selfcheck/UISnapshotSelfTest.h"

#include "platform/SafeFile.h"
#include "selfcheck/UISnapshotPieces.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>

namespace klipo::UISnapshotSelfTest {

namespace {

constexpr char kVariable[] = "KLIPO_UI_SNAPSHOT_DIR";

struct Look {
    const char* folder;
    PrefsAppearanceTheme theme;
};
constexpr Look kLooks[] = {{"dark", PrefsAppearanceTheme::dark}, {"light", PrefsAppearanceTheme::light}};

// "<name>.png" in the folder, replacing a file of that name; the path, or
// nothing when it could not be encoded or written.
QString writePng(const QImage& image, const QString& folder, const QString& name)
{
    if (image.isNull()) return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image)) return {};
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    return platform::safefile::writeFile(path, data, 0644) ? path : QString();
}

}  // namespace

bool isRequested() { return !qEnvironmentVariableIsEmpty(kVariable); }

int exitStatus(qsizetype written) { return written >= expectedFileCount ? 0 : 1; }

QByteArray listText(const QStringList& paths) { return (paths.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(); }

Outcome run(const QString& root)
{
    const QString rootPath = QDir::cleanPath(QDir::current().absoluteFilePath(root));
    Outcome outcome;
    for (const Look& look : kLooks) {
        const QString folder = rootPath + QLatin1Char('/') + QLatin1String(look.folder);
        QDir().mkpath(folder);
        // Nothing could be written there: no need to draw.
        if (!QFileInfo(folder).isDir()) continue;
        for (const UISnapshotPieces::Shot& shot : UISnapshotPieces::renderAll(look.theme)) {
            const QString path = writePng(shot.image, folder, shot.name);
            if (!path.isEmpty()) outcome.paths << path;
        }
    }
    // A list that cannot be written leaves the printed one.
    platform::safefile::writeFile(rootPath + QStringLiteral("/snapshot_list.txt"), listText(outcome.paths), 0644);
    outcome.exitStatus = exitStatus(outcome.paths.size());
    return outcome;
}

void runIfNeeded()
{
    if (!isRequested()) return;
    const Outcome outcome = run(qEnvironmentVariable(kVariable));
    const QByteArray text = listText(outcome.paths);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    // Ends here, before anything else of the program is set up; the files
    // are already on the disk.
    std::_Exit(outcome.exitStatus);
}

}  // namespace klipo::UISnapshotSelfTest
