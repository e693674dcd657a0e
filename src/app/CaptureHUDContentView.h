#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace klipo {

// The toast's face: a dark rounded card with an optional thumbnail, a title
// and a subtitle (its tool tip repeats the subtitle). Reports clicks and the
// pointer entering and leaving.
class CaptureHUDContentView : public QWidget {
public:
    static constexpr qreal cornerRadius = 14;

    explicit CaptureHUDContentView(QWidget* parent = nullptr);

    std::function<void()> onClick;
    std::function<void(bool inside)> onHoverChanged;

    void configure(const QString& title, const QString& subtitle, const QImage& thumbnail);
    // A title and subtitle that wrap over as many lines as they need instead
    // of being shortened (messages, where every word counts).
    void setSubtitleWraps(bool wraps);
    // The title's and the subtitle's lines as drawn in a card of `width` (one
    // each, shortened, unless they wrap; a subtitle with a path as
    // CaptureHUDText::lines says), and the height a card needs for them.
    QStringList titleLines(double width) const;
    QStringList subtitleLines(double width) const;
    double heightFor(double width) const;

    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    bool hasThumbnail() const { return !m_thumbnail.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QString m_title;
    QString m_subtitle;
    QImage m_thumbnail;
    bool m_wrapsText = false;
};

}  // namespace klipo
