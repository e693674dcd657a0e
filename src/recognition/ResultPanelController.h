#pragma once

#include "platform/FocusReturn.h"
#include "platform/text/Translator.h"
#include "recognition/ResultView.h"
#include "recognition/TextModel.h"

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <functional>
#include <optional>
#include <vector>

namespace klipo {

class ResultModel;
class ResultPreviewFiles;
struct TranslationRunOutcome;

// The result panel of full-screen translation: a floating window near the
// pointer that shows a capture, translates its text on the device, shows the
// translated picture and keeps the result in the history. Only the newest
// capture may change the panel: work of an older one is dropped (and its
// translation stopped). One instance for the process; main thread only.
class ResultPanelController : public QObject {
    Q_OBJECT
public:
    static ResultPanelController& shared();

    // The entry of full-screen translation: recognises the capture's text off
    // the main thread, then shows the panel (with the failure when
    // recognition failed). `displayScale` is the capture's pixels per point.
    void showCapture(const QImage& image, double displayScale);

    // Shows the panel for a capture whose paragraphs are known and starts
    // their translation. An absent scale means the main screen's.
    void show(const QImage& image, const std::vector<TextBlock>& blocks, std::optional<qreal> displayScale = {});

    // Takes the panel off the screen before a screen grab (X11 cannot keep
    // our windows out of it). Returns whether it was showing.
    bool hideForCapture();

    ResultModel& model() { return *m_model; }
    QWidget* panel() const { return m_panel; }
    ResultView* view() const { return m_view; }
    ResultPreviewFiles& previewFiles() { return *m_previewFiles; }

    // Asks where "保存图片…" writes, starting at the proposed path; an empty
    // answer cancels. A save dialog unless replaced (tests).
    std::function<QString(const QString& proposedPath)> chooseSavePath;

    // The panel's content size for a display size: room for the buttons and
    // margins, at least 460 points wide.
    static QSizeF contentSize(QSizeF displaySize);
    // Where the panel's top-left corner goes: 16 points right of and below the
    // pointer, pushed inside the visible area (its right and top edges win
    // when the panel is larger than the area).
    static QPoint originNearPointer(QPoint pointer, QSize frameSize, QRect visibleArea);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    // A translated result has been handed to the history (tests wait for it).
    void historySaveFinished(bool saved);

private:
    ResultPanelController();
    void present(const QImage& image, const std::vector<TextBlock>& blocks, std::optional<qreal> displayScale);
    void presentFailure(const QImage& image, double displayScale, const QString& status);
    void startNewCapture();
    void revealPanel();
    void createPanel();
    void positionNearPointer();
    void perform(ResultView::Action action);
    void finishRun(quint64 generation, const TranslationRunOutcome& outcome);
    void saveToHistory(const TranslationRunOutcome& outcome);

    ResultModel* m_model;
    ResultPreviewFiles* m_previewFiles;
    QPointer<QWidget> m_panel;
    ResultView* m_view = nullptr;
    quint64 m_generation = 0;  // counts captures; work of an older one is stale
    QFuture<QByteArray> m_originalPng;  // the capture's, for its history record
    platform::CancelToken m_cancel;
    platform::FocusReturn m_focusReturn;  // the window the user was in before the panel showed
};

}  // namespace klipo
