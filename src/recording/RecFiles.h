#pragma once

#include "recording/RecOptions.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace klipo::RecFiles {

// "录屏_yyyyMMdd_HHmmss.mp4"; from counter 2 on, " 2", " 3" ... before the dot.
QString recordingFileName(const QDateTime& when, RecFormat format, int counter = 1);

// Makes `folder` (and its missing parents) a folder only this user can enter
// (0700), where recordings are written while they run; false when it cannot
// be made so, belongs to someone else, or it or the folder above it is a link
// (into a folder of the user's, which the program does not use).
bool makePrivateFolder(const QString& folder);
// Why makePrivateFolder() refused `folder`, for the user.
QString folderProblem(const QString& folder);

// A new empty file for a recording to be written into, in `privateFolder`
// (made private first). Nothing when it cannot be made.
std::optional<QString> createTempFile(const QString& privateFolder, RecFormat format);

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

// Looks for recordings left behind in `privateFolder` (and nowhere else) that
// no running program holds, cuts off an unfinished tail, and moves each one
// that plays into the capture folder under the name of its last change.
// Leftovers with nothing playable are removed. Nothing is looked at when the
// folder is not private to this user. Returns what it found and where it went.
QList<Leftover> recoverLeftovers(const QString& captureFolder, const QString& privateFolder);

}  // namespace klipo::RecFiles
