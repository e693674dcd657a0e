#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace klipo {

// What the result panel's buttons do with the picture and the translated text.
// Failures end in a toast. Main thread only.
namespace ResultActions {

void copyImage(const QImage& image);
void copyText(const QString& text);
void pin(const QImage& image);

// Writes the picture as PNG; the Chinese reason when that fails, else empty.
QString writePng(const QImage& image, const QString& path);

// Where the save dialog starts: the capture folder and the file-name template.
QString proposedSavePath();

// Asks where to save (an empty answer cancels) and writes the PNG there;
// a write that fails is reported in the toast.
void saveImage(const QImage& image, const std::function<QString(const QString& proposedPath)>& chooseSavePath);

}  // namespace ResultActions

// The temporary PNG files of the enlarged view: one per picture shown, opened
// in the desktop's image viewer, removed once the panel has moved on to
// another capture and when the program quits.
class ResultPreviewFiles : public QObject {
    Q_OBJECT
public:
    explicit ResultPreviewFiles(QObject* parent = nullptr);
    ~ResultPreviewFiles() override;

    // Writes the picture to a temporary file (once per picture) and opens it.
    void open(const QImage& image);
    // Removes every file written so far.
    void removeAll();

    const QStringList& files() const { return m_files; }

private:
    QStringList m_files;
    qint64 m_lastImageKey = 0;
};

}  // namespace klipo
