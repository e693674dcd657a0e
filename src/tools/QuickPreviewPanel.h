#pragma once

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QTemporaryDir;
class QWidget;

namespace klipo {

class PreviewImageView;

// The floating preview of the last capture: a tool window kept above others
// and reused, titled with the capture's date, whose buttons copy the image,
// save it as a PNG file elsewhere or open it in the desktop's image viewer.
// Main thread only.
class QuickPreviewPanelController final : public QObject {
    Q_OBJECT
public:
    static QuickPreviewPanelController& shared();
    ~QuickPreviewPanelController() override;

    void show(const QImage& image, const QString& title);

    // "上一次截图 · MM-dd HH:mm" in local time.
    static QString titleFor(const QDateTime& date);
    // The panel's content size for an image (points) on a screen's visible
    // frame (none: no screen): never enlarged, at most 80 % of the frame's
    // width and 80 % of its height less 60, at least 420 wide, 52 more for
    // the buttons.
    static QSize contentSize(const QSizeF& imagePt, const std::optional<QRect>& visibleFrame);

    void copyImage();
    void saveImage();
    void openInViewer();

    // Asks where to save; empty when the user cancelled. Tests replace it.
    std::function<QString(QWidget* parent)> chooseSavePath;

    QWidget* panel() const { return m_panel; }
    const QImage& currentImage() const { return m_image; }
    // The folder of this process that holds the files opened in the viewer;
    // empty until the first one. It goes when the program quits.
    QString temporaryFolder() const;
    void removeTemporaryFiles();

private:
    QuickPreviewPanelController();
    void ensurePanel();

    QPointer<QWidget> m_panel;
    PreviewImageView* m_imageView = nullptr;
    QImage m_image;
    std::unique_ptr<QTemporaryDir> m_temporary;
};

}  // namespace klipo
