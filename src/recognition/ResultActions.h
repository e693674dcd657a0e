#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace klipo {

// What the result panel's buttons do with the picture and the translated text.
// Each returns the Chinese reason when it failed, else an empty text; the
// caller tells the user. Main thread only.
namespace ResultActions {

QString copyImage(const QImage& image);
QString copyText(const QString& text);
QString pin(const QImage& image);

// Writes the picture as PNG; the Chinese reason when that fails, else empty.
QString writePng(const QImage& image, const QString& path);

// Where the save dialog starts: a file named by the file-name template in the
// capture folder, else in Pictures, else in the home folder (never in the
// folder the program was started from).
QString proposedSavePath();

// Asks where to save (an empty answer cancels) and writes the PNG there.
QString saveImage(const QImage& image, const std::function<QString(const QString& proposedPath)>& chooseSavePath);

}  // namespace ResultActions

// The temporary PNG files of the enlarged view: one per picture shown, in a
// folder of this process that only the user can enter, opened in the
// desktop's image viewer; removed (with the folder) once the panel has moved
// on to another capture and when the program quits. Failures end in a toast.
class ResultPreviewFiles : public QObject {
    Q_OBJECT
public:
    explicit ResultPreviewFiles(QObject* parent = nullptr);
    ~ResultPreviewFiles() override;

    // Writes the picture to a temporary file (once per picture) and opens it.
    void open(const QImage& image);
    // Removes every file written so far, and their folder.
    void removeAll();

    const QStringList& files() const { return m_files; }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_files;
    qint64 m_lastImageKey = 0;
};

}  // namespace klipo
