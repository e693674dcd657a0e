#pragma once

#include "app/SettingsTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// The files of saved captures: their encoding and their names in the capture
// folder. Safe on any thread.
namespace klipo::CaptureFiles {

// PNG without options, or JPEG at quality 90. Empty when encoding fails.
QByteArray encode(const QImage& image, CaptureFileFormat format);

// "<base>.<ext>" for n = 1, "<base> <n>.<ext>" from n = 2 on.
QString candidateName(const QString& baseName, const QString& extension, int n);

// Exactly one of the two is set.
struct WriteResult {
    QString path;
    QString error;  // Chinese reason
};

// Makes the folder (with its parents) and writes the data there under the
// first free candidate name. A name is taken only by creating it exclusively,
// so an existing file is never replaced and two writers at the same moment
// end up in two files. Where the file system allows, the file appears whole
// or not at all.
WriteResult writeNewFile(const QString& directory, const QString& baseName, const QString& extension,
                         const QByteArray& data);

// Writes the data to exactly this path (the user chose it, and to replace
// what is there), atomically; the Chinese reason when that fails.
QString writeFileAt(const QString& path, const QByteArray& data);

// Makes the folder with its parents; the Chinese reason when that fails.
QString makeDirectory(const QString& directory);

// The Chinese reason for a failed file operation on `path`.
QString describeError(int error, const QString& path);

}  // namespace klipo::CaptureFiles
