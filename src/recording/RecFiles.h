#pragma once

#include "recording/RecOptions.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace klipo::RecFiles {

// "录屏_yyyyMMdd_HHmmss.mp4"; from counter 2 on, " 2", " 3" ... before the dot.
QString recordingFileName(const QDateTime& when, RecFormat format, int counter = 1);

// Where a recording is written while it runs: a hidden file in the capture
// folder when that folder can take it (so that saving is a rename and a
// crash leaves the file next to the others), else a file in `tempFolder`.
// The (empty) file is created here. Nothing when neither folder can take it.
std::optional<QString> createTempFile(const QString& captureFolder, const QString& tempFolder, RecFormat format);

struct ExportResult {
    std::optional<QString> savedPath;  // the file's new place
    QString error;                     // why it was not saved (Chinese), naming where the file is kept
    QString keptPath;                  // where the file stays when it was not saved
    bool ok() const { return savedPath.has_value(); }
};

// Moves a finished recording into `folder` (made if missing) under the
// recording name of `when`, taking the next counter when a name is taken and
// never replacing a file. On any failure the file stays where it is.
ExportResult exportRecording(const QString& tempPath, RecFormat format, const QString& folder,
                             const QDateTime& when);

// A recording left behind by an earlier run (a crash, a kill, a power cut).
struct Leftover {
    QString foundAt;
    ExportResult result;
};

// Looks for recordings left behind in the capture folder (hidden) and the
// temporary folder that no running program holds, cuts off an unfinished
// tail, and moves each one that plays into the capture folder under the
// name of its last change. Leftovers with nothing playable are removed.
// Returns what it found and where it went.
QList<Leftover> recoverLeftovers(const QString& captureFolder, const QString& tempFolder);

}  // namespace klipo::RecFiles
