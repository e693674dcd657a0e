#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// What the user is told, and given, when a capture has been saved: the toast
// texts, the toast's thumbnail and the clipboard copy.
namespace klipo::CaptureReport {

// Every toast of the screenshot tools stays this long.
inline constexpr double toastSeconds = 2.2;

struct Toast {
    QString title;
    QString subtitle;
};

// A plain screenshot: saved and/or copied, or neither.
Toast plainFinished(bool fileWritten, bool copied, const QString& folderName, const QString& fileName);

// "截图保存失败" with the reason, and whether the picture still reached the clipboard.
Toast saveFailed(const QString& reason, bool copied);

// A delivered capture: folder and file name, then the size note when the
// clipboard was refused for the byte limit, then the caller's note.
Toast delivered(bool copied, const QString& folderName, const QString& fileName,
                std::optional<qint64> refusedForLimit, const QString& note);

// A byte count in whole units, truncated: "50MB" from 1 MB on, else "512KB" or "800B".
QString sizeText(qint64 bytes);

// A small copy of the capture for the toast (never larger than the capture).
// Safe on any thread, so the interface thread never scales a full screen.
QImage thumbnail(const QImage& image);

// Puts the capture on the clipboard (PNG and TIFF in one item); whether this
// program holds the clipboard after it. Main thread.
bool copyToClipboard(const QImage& image, const QByteArray& knownPng);

// Shows the toast for toastSeconds. Main thread.
void show(const Toast& toast, const QImage& thumbnail = {}, const QString& filePath = {});

}  // namespace klipo::CaptureReport
