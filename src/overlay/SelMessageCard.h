#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace klipo {

// A message over the selection, on a dark rounded card. It stays long enough
// to be read (longer for a longer text), and as long as the pointer rests on
// it; its text can be selected with the mouse. A failure also offers "复制"
// (the whole text to the clipboard), "关闭" and, where the failure has one,
// the way out of it.
class SelMessageCard : public QWidget {
public:
    enum class Kind { info, failure };
    // A button that leads out of the failure ("更改目标语言").
    struct WayOut {
        QString title;
        std::function<void()> run;
    };

    // At least 2 s for information and 6 s for a failure, plus the time to
    // read the text (about 8 characters a second).
    static int readingMs(const QString& text, Kind kind);

    SelMessageCard(QWidget* parent, const QString& text, Kind kind, int widestTextPx,
                   std::optional<WayOut> wayOut = std::nullopt);

    QString text() const;
    Kind kind() const { return m_kind; }
    QLabel* label() const { return m_label; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* closeButton() const { return m_close; }
    QPushButton* wayOutButton() const { return m_wayOut; }
    // Counts down its reading time; it removes itself when the time is up.
    void startCountdown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Clicks on the card stay on it: no selection starts under it.
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPushButton* addButton(const QString& title);
    void copyText();
    void expire();

    Kind m_kind;
    QLabel* m_label;
    QPushButton* m_copy = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_wayOut = nullptr;
    QTimer m_timer;
};

}  // namespace klipo
