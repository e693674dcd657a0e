#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QPropertyAnimation;

namespace klipo {

class CaptureHUDContentView;

// The process's one toast: a 320 by 80 card (taller for a message told in
// full) at the bottom right of the screen under the pointer that reports how
// a capture went. It never takes focus,
// floats above normal windows, fades in and out, stays while the pointer rests
// on it, and a click reveals the saved file. A new message replaces the
// current one. Main thread only.
class CaptureHUDController : public QObject {
    Q_OBJECT
public:
    static constexpr int width = 320;
    static constexpr int height = 80;
    static constexpr int cornerInset = 20;
    static constexpr int fadeInMs = 160;
    static constexpr int fadeOutMs = 300;
    static constexpr double hoverLeaveSeconds = 1.0;

    static CaptureHUDController& shared();

    // Title and subtitle on one line each, shortened where they do not fit;
    // in a subtitle with a path the path is what is shortened, in its middle,
    // and the card grows when the words around it still need more lines.
    void show(const QString& title, const QString& subtitle, const QImage& thumbnail = {},
              const QString& filePath = {}, double durationSeconds = 2.2);
    // A message where every word counts: its subtitle wraps over as many
    // lines as it needs (the card grows upward for them) instead of being
    // shortened, and it stays at least long enough to be read.
    void showInFull(const QString& title, const QString& subtitle, double durationSeconds = 2.2);
    // How long a message of this text takes to read: 2.2 s for a short one,
    // a second more for every ten characters beyond twenty, 15 s at most.
    static double readingSeconds(const QString& text);
    void dismiss(bool animated);
    // A click on the toast now shown runs `action` (instead of revealing a
    // file) and dismisses it.
    void setClickAction(std::function<void()> action);

    // Takes the toast off the screen at once, before a screen grab (X11 cannot
    // keep our windows out of it). Returns whether it was showing.
    bool hideForCapture();

    // While an area of the screen is captured for a while (a recording), the
    // toast keeps out of it (global logical coordinates): it shows in another
    // corner of its screen, or of another screen, when its own corner would
    // cover it. A toast already up moves at once. None lifts it.
    void setKeepOut(std::optional<QRect> area);

    bool isShowingToast() const;
    QString currentTitle() const;
    QString currentSubtitle() const;
    QWidget* panel() const { return m_panel; }
    CaptureHUDContentView* contentView() const { return m_content; }

    // The toast's top-left corner for a screen's available area (global
    // logical coordinates): 20 in from its bottom-right corner.
    static QPoint cornerPosition(const QRect& availableGeometry, int panelHeight = height);

private:
    CaptureHUDController();
    void makePanel();
    void present(const QString& title, const QString& subtitle, const QImage& thumbnail, const QString& filePath,
                 double durationSeconds, bool inFull);
    // The card as tall as its text needs (never more than the screen has room for).
    void fitHeight();
    void moveToCorner();
    void scheduleDismiss(double seconds);
    void fadeOutFinished();

    QPointer<QWidget> m_panel;
    CaptureHUDContentView* m_content = nullptr;
    QPropertyAnimation* m_fade = nullptr;
    QTimer m_dismissTimer;
    bool m_fadingOut = false;
    std::optional<QRect> m_keepOut;
};

}  // namespace klipo
