#pragma once

#include "overlay/SelInlineToolbar.h"
#include "overlay/SelTextLayer.h"
#include "overlay/SelTranslateDriver.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>

#include <chrono>
#include <memory>
#include <optional>

namespace klipo {

class SelOverlayView;

// Shows a picture over the selection; lets every click through.
class SelPassthroughImageView : public QWidget {
public:
    SelPassthroughImageView(QWidget* parent, QImage image, const QRectF& area);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QRectF m_area;  // in the parent's points
};

// Translation in place, the view's side: starts the driver on the selection's
// clean picture, shows the translated picture over the selection, keeps it in
// the history and the vocabulary book, and acts on the translated toolbar row
// (copy the translation, revert, pin, save, copy the picture, close). A
// time-out stops a translation that does not come back. Main thread only.
class SelInlineTranslation : public QObject {
    Q_OBJECT
public:
    enum class State { idle, running, done };

    // How long the translator may take, from the moment it is asked.
    static inline std::chrono::milliseconds timeout{30000};

    explicit SelInlineTranslation(SelOverlayView& view);

    State state() const { return m_state; }
    const QImage& composite() const { return m_composite; }
    const QString& translatedText() const { return m_translatedText; }
    SelTextLayer* translatedLayer() const { return m_layer.get(); }
    const SelTextGeometry& translatedGeometry() const { return m_geometry; }
    SelPassthroughImageView* imageView() const { return m_imageView; }

    // The translate action: nothing unless this view is editing and idle.
    void start();
    // Esc while running: stops the work; nothing of it will show.
    void cancel();
    void revert();
    void handleTranslatedAction(SelTranslatedAction action);
    // The session ends: the work is stopped and dropped.
    void teardown();

Q_SIGNALS:
    // A translation came to an end (shown, failed, cancelled or timed out).
    void ended();
    // A finished translation was handed to the history; whether it was stored.
    void historySaveFinished(bool saved);

private:
    void finished(const SelTranslateResult& result);
    void armTimeout();
    void backToEditing(const QString& toast);
    // Back to editing with the failure said, and its way out when it has one.
    void failed(const QString& message);
    void showTranslatedImage(const QImage& image);
    void dropDriver();

    SelOverlayView& m_view;
    State m_state = State::idle;
    QPointer<SelTranslateDriver> m_driver;
    int m_attempt = 0;  // the time-out acts only on its own attempt
    QImage m_base;      // the clean picture that was translated
    QImage m_composite; // the translated picture with the marks on top
    QString m_translatedText;
    std::unique_ptr<SelTextLayer> m_layer;
    SelTextGeometry m_geometry;
    QPointer<SelPassthroughImageView> m_imageView;
    // The capture this view's last translation was stored for, and its record.
    struct Recorded {
        QImage base;
        QUuid id;
    };
    std::optional<Recorded> m_recorded;
};

}  // namespace klipo
